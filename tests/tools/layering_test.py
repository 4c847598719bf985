#!/usr/bin/python3
"""The layering check against its fixture tree (tests/tools/layering).

Every include of the fixture that breaks a rule carries a trailing
"expect: <rule>" comment. The check must report exactly those lines with
those rules: a missed one means a rule lets a fault through, an extra one
means it refuses good code. The fixture holds a fault of every rule, so the
check cannot pass by finding nothing.
"""

import os
import re
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
FIXTURE = os.path.join(HERE, "layering")
CHECK = os.path.join(ROOT, "tools", "check-layers.py")
RULES = {"layer", "platform-only", "internal", "gui", "table", "angle", "headless", "build-folder"}


def expected_faults():
    expected = set()
    for dirpath, _, filenames in os.walk(FIXTURE):
        for name in filenames:
            if not name.endswith((".h", ".cpp", ".inc")):
                continue
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, FIXTURE).replace(os.sep, "/")
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = re.search(r"expect: ([a-z-]+)", line)
                    if m:
                        expected.add((rel, number, m.group(1)))
    return expected


def run_check(root):
    result = subprocess.run([sys.executable, CHECK, "--root", root], capture_output=True, text=True)
    found = set()
    for line in result.stdout.splitlines():
        m = re.match(r"^(\S+):(\d+): \[([a-z-]+)\] ", line)
        if m:
            found.add((m.group(1), int(m.group(2)), m.group(3)))
    return result.returncode, found, result.stdout


class LayeringCheckTest(unittest.TestCase):
    def test_fixture_covers_every_rule(self):
        self.assertEqual({rule for (_, _, rule) in expected_faults()}, RULES)

    def test_reports_exactly_the_marked_includes(self):
        status, found, output = run_check(FIXTURE)
        self.assertEqual(status, 1, output)
        expected = expected_faults()
        self.assertEqual(sorted(expected - found), [], "faults the check missed:\n" + output)
        self.assertEqual(sorted(found - expected), [], "good includes the check refused:\n" + output)

    def test_known_gui_unit_is_a_note_not_a_fault(self):
        _, found, output = run_check(FIXTURE)
        self.assertIn("note: app/legacy.cpp still includes the GUI", output)
        self.assertFalse(any(path == "app/legacy.cpp" for (path, _, _) in found))

    def test_fixture_is_left_out_of_the_real_tree(self):
        _, found, _ = run_check(ROOT)
        self.assertFalse(any(path.startswith("tests/tools/layering/") for (path, _, _) in found))


if __name__ == "__main__":
    unittest.main()
