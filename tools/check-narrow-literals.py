#!/usr/bin/python3
"""Refuses Russian (non-ASCII) narrow string literals without the 1251 suffix.

Narrow strings hold Windows-1251 bytes; a UTF-8 literal without `_cp` would
reach the user as mojibake. Wide, UTF-16/32 and u8 literals carry their own
encoding and are left alone, as are comments and character literals. A file
whose narrow texts are UTF-8 by design (a built-in XML table, which its reader
converts) says so with a comment line "// literals: utf-8" and a reason.
"""

import argparse
import os
import re
import sys

# Folders whose narrow strings are 1251 text: the program, the engines and
# the layers under them.
CHECKED = ["app", "comm", "report", "script", "export", "preview", "platform"]

UTF8_FILE = re.compile(r"^\s*//\s*literals:\s*utf-8\b", re.MULTILINE)


def literals(text):
    """Yields (line, prefix, body, suffix) for every string literal outside comments."""
    i, n, line = 0, len(text), 1
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            line += text.count("\n", i, j)
            i = j
        elif c == "'" and not (i > 0 and (text[i - 1].isalnum())):
            # A character literal (a digit separator follows a digit: skipped above).
            j = i + 1
            while j < n and text[j] != "'" and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            i = j + 1
        elif c == '"':
            start = i
            k = i
            while k > 0 and (text[k - 1].isalnum() or text[k - 1] == "_"):
                k -= 1
            prefix = text[k:i]
            if prefix.endswith("R"):
                m = re.match(r'"([^(\s]*)\(', text[i:])
                delim = ")" + (m.group(1) if m else "") + '"'
                body_start = i + len(m.group(0)) if m else i + 1
                j = text.find(delim, body_start)
                j = n if j < 0 else j
                body = text[body_start:j]
                end = j + len(delim)
            else:
                j = i + 1
                while j < n and text[j] != '"' and text[j] != "\n":
                    j += 2 if text[j] == "\\" else 1
                body = text[i + 1 : j]
                end = j + 1
            m = re.match(r"[A-Za-z_][A-Za-z0-9_]*", text[end:])
            suffix = m.group(0) if m else ""
            yield line, prefix, body, suffix, k, end
            line += text.count("\n", start, end)
            i = end
        else:
            i += 1


def faults(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    if UTF8_FILE.search(text):
        return
    # Adjacent literals are one literal: a suffix on any of them applies to all.
    groups = []
    for line, prefix, body, suffix, start, end in literals(text):
        if groups and not text[groups[-1][-1][5] : start].strip():
            groups[-1].append((line, prefix, body, suffix, start, end))
        else:
            groups.append([(line, prefix, body, suffix, start, end)])
    for group in groups:
        if any(part[3] == "_cp" for part in group):
            continue
        for line, prefix, body, _, _, _ in group:
            if prefix in ("", "R") and any(ord(ch) > 127 for ch in body):
                yield line, body


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("folders", nargs="*", default=CHECKED, help="folders under the root to check")
    args = parser.parse_args()
    found = 0
    for folder in args.folders:
        for dirpath, _, names in os.walk(os.path.join(args.root, folder)):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, args.root)
                for line, body in faults(path):
                    shown = body.splitlines()[0][:60] if body else ""
                    print(f'{rel}:{line}: narrow literal with non-ASCII text lacks _cp: "{shown}"')
                    found += 1
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
