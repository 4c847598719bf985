# The benchmark's table written by xlwt: 21,706 rows of a time and six
# numbers, in two number formats. Prints the seconds spent and the peak
# resident memory in KiB.
import resource
import sys
import time

import xlwt

ROWS = 21706
start = time.perf_counter()
book = xlwt.Workbook()
sheet = book.add_sheet("Process")
when = xlwt.easyxf(num_format_str="dd.mm.yyyy hh:mm")
number = xlwt.easyxf(num_format_str="0.0")
for r in range(ROWS):
    sheet.write(r, 0, 45000.0 + r / 1440.0, when)
    for c in range(1, 7):
        sheet.write(r, c, (r * 7 + c * 13) % 1000 / 10.0, number)
book.save(sys.argv[1])
print(time.perf_counter() - start, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
