#!/usr/bin/python3
"""Writes the seed corpus of matrix_export_fuzz from report.fp3, the prepared
pages of the export test's small report (ZARNIK_MATRIX_SEEDS=DIR
build/bin/export_tests --gtest_filter=MatrixExport.*): the report itself and
hostile variants of it (huge, negative and not-a-number geometry, a pile of
overlapping objects, a staircase of thousands of edges, a page of one tall
object). Each variant also comes in lengths that switch the target's options.
Usage: make_matrix_seeds.py DIR (DIR holds report.fp3)"""
import os
import re
import sys

folder = sys.argv[1]
with open(os.path.join(folder, "report.fp3"), encoding="utf-8") as f:
    report = f.read()

first_page = re.search(r"<page0>.*?</page0>", report).group(0)
head, tail = report.split(first_page, 1)[0], report.split(first_page, 1)[1]
rest = tail[: tail.index("</previewpages>")]
after = tail[tail.index("</previewpages>"):]


def page(body):
    return "<page0>" + body + "</page0>"


def write(name, previewpages):
    for pad in (0, 13, 46, 171):  # lengths that pick other options: the first text grows
        pages = previewpages.replace('u="', 'u="' + "x" * pad, 1)
        suffix = "" if pad == 0 else "-%d" % pad
        with open(os.path.join(folder, name + suffix + ".fp3"), "w", encoding="utf-8") as f:
            f.write(head + pages + after)


write("report", first_page + rest)
geometry = first_page.replace('<m2 u="r1c0"/>', '<m2 u="r1c0" l="1E300" w="1E300" h="-1E300"/>')
geometry = geometry.replace('<m3 u="r1c1"/>', '<m3 u="r1c1" l="-5000" t="-99999" w="NAN" h="INF"/>')
geometry = geometry.replace('<s1/>', '<s1 w="100000000" h="100000000"/>')
write("geometry", geometry)
pile = "".join('<m%d u="p%d" l="%d" t="%d" w="%d" h="%d"/>' % (2 + i % 7, i, i % 50, i % 40, 400 - i % 300, 300 - i % 200)
               for i in range(600))
write("pile", page('<b2 t="40">' + pile + "</b2>"))
stairs = "".join('<m2 u="s%d" l="%d" t="%d" w="3" h="3"/>' % (i, i * 2, i * 2) for i in range(800))
write("stairs", page('<b2 t="0">' + stairs + "</b2>"))
write("tall", page('<b2 t="0"><m2 u="tall" h="2000000"/><m3 u="x" t="1999999"/></b2>'))
