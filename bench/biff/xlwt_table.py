# Writes a table with xlwt and prints the seconds spent and a memory figure
# in KiB.
#   xlwt_table.py OUT: the benchmark's own table, 21,706 rows of a time and
#     six numbers in two number formats; the memory is the peak resident size.
#   xlwt_table.py OUT SOURCE.xls: the cells of every sheet of a workbook
#     (values and number formats, read with xlrd beforehand and not timed),
#     written again; the memory is the growth of the peak resident size while
#     writing.
import gc
import resource
import sys
import time

import xlwt


def status_kib(key):
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith(key):
                return int(line.split()[1])
    return 0


def own_table(out):
    rows = 21706
    start = time.perf_counter()
    book = xlwt.Workbook()
    sheet = book.add_sheet("Process")
    when = xlwt.easyxf(num_format_str="dd.mm.yyyy hh:mm")
    number = xlwt.easyxf(num_format_str="0.0")
    for r in range(rows):
        sheet.write(r, 0, 45000.0 + r / 1440.0, when)
        for c in range(1, 7):
            sheet.write(r, c, (r * 7 + c * 13) % 1000 / 10.0, number)
    book.save(out)
    print(time.perf_counter() - start, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)


def same_table(out, source):
    import xlrd
    src = xlrd.open_workbook(source, formatting_info=True)
    sheets = []
    for s in src.sheets():
        cells = []
        for r in range(s.nrows):
            for c in range(s.row_len(r)):
                cell = s.cell(r, c)
                if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_TEXT):
                    xf = src.xf_list[s.cell_xf_index(r, c)]
                    cells.append((r, c, cell.value, src.format_map[xf.format_key].format_str))
        sheets.append((s.name, cells))
    del src
    gc.collect()
    with open("/proc/self/clear_refs", "w") as f:
        f.write("5")
    before = status_kib("VmRSS:")
    start = time.perf_counter()
    book = xlwt.Workbook()
    styles = {}
    for name, cells in sheets:
        sheet = book.add_sheet(name)
        for r, c, value, fmt in cells:
            style = styles.get(fmt)
            if style is None:
                style = styles[fmt] = xlwt.easyxf(num_format_str=fmt)
            sheet.write(r, c, value, style)
    book.save(out)
    seconds = time.perf_counter() - start
    print(seconds, status_kib("VmHWM:") - before)


if len(sys.argv) > 2:
    same_table(sys.argv[1], sys.argv[2])
else:
    own_table(sys.argv[1])
