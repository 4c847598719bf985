#!/usr/bin/python3
"""The narrow-literal check against small sources: what it must refuse and what it must let pass."""

import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECK = os.path.join(os.path.dirname(os.path.dirname(HERE)), "tools", "check-narrow-literals.py")

CASES = [
    # (source, lines the check must report)
    ('Ask("Файл " + name);\n', [1]),
    ('Ask("Файл "_cp + name + " уже считан)");\n', [1]),
    ('Ask("Файл "_cp + name + " уже считан)"_cp);\n', []),
    # Adjacent literals are one: the suffix on the last applies to the first.
    ('Ask("Процесс "\n    "записан"_cp);\n', []),
    ('Ask("Процесс "\n    "записан");\n', [1, 2]),
    ('auto s = R"X(Текст)X";\n', [1]),
    ('auto w = L"Текст"; auto u = u"Текст"; auto v = u8"Текст";\n', []),
    ('// "Текст" in a comment\n/* "Текст" */ int x = 1\'000;\n', []),
    ('char c = \'"\'; auto s = "plain ASCII";\n', []),
    ('// literals: utf-8 (an XML table its reader converts)\nauto xml = "<a t=\\"Текст\\"/>";\n', []),
]


def run(root):
    result = subprocess.run([sys.executable, CHECK, "--root", root, "app"], capture_output=True, text=True)
    found = {}
    for line in result.stdout.splitlines():
        name, number = line.split(":")[:2]
        found.setdefault(os.path.basename(name), []).append(int(number))
    return result.returncode, found


class NarrowLiteralCheckTest(unittest.TestCase):
    def test_cases(self):
        # One file per case, one run of the check over them all.
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "app"))
            for i, (source, _) in enumerate(CASES):
                with open(os.path.join(root, "app", f"case{i}.cpp"), "w", encoding="utf-8") as f:
                    f.write(source)
            status, found = run(root)
        self.assertEqual(status, 1)
        for i, (source, expected) in enumerate(CASES):
            with self.subTest(source=source):
                self.assertEqual(found.get(f"case{i}.cpp", []), expected)


if __name__ == "__main__":
    unittest.main()
