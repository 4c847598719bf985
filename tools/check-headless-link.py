#!/usr/bin/env python3
"""Fails when a program that must run without a display links the window
system: any NEEDED entry of Qt, GTK, X11 or xcb in `readelf -d`.

    check-headless-link.py PROGRAM...
"""
import re
import subprocess
import sys

WINDOW_SYSTEM = re.compile(r"\[(lib(Qt\d|gtk|gdk|X11|xcb)[^\]]*)\]")


def window_libraries(path):
    out = subprocess.run(["readelf", "-d", path], check=True, capture_output=True, text=True).stdout
    return [m.group(1) for line in out.splitlines() if "(NEEDED)" in line for m in [WINDOW_SYSTEM.search(line)] if m]


def main(programs):
    if not programs:
        print("no programs given", file=sys.stderr)
        return 2
    failed = False
    for path in programs:
        libs = window_libraries(path)
        if libs:
            failed = True
            print(f"{path}: links the window system: {', '.join(libs)}")
    if not failed:
        print(f"{len(programs)} programs link no window system")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
