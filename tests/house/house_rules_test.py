#!/usr/bin/env python3
"""The house rules checker finds each kind of breach in a small tree, and
passes a tree that keeps them."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "house_rules.py")


def function(name, lines):
    body = "".join(f"    x += {k};\n" for k in range(lines - 3))
    return f"int {name}(int x) {{\n{body}    return x;\n}}\n"


class HouseRules(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.src = os.path.join(self.dir.name, "src")
        self.widgets = os.path.join(self.dir.name, "QtWidgets")
        os.makedirs(self.widgets)
        open(os.path.join(self.widgets, "QLabel"), "w").close()
        self.write("core/dates.h", '#pragma once\n#include <QString>\nnamespace baisuu {\n}\n')
        self.write("drill/engine.h", '#pragma once\n#include "core/dates.h"\nnamespace baisuu {\n}\n')
        self.write("drill/engine.cpp",
                   '#include "drill/engine.h"\n// a "{" in a comment\nnamespace baisuu {\n'
                   + function("fits", 80) + "}\n")
        self.write("drill/drill_screen.cpp", "#include <QLabel>\n")
        self.write("ui/blocks.cpp", "#include <QLabel>\n")

    def tearDown(self):
        self.dir.cleanup()

    def write(self, path, text):
        full = os.path.join(self.src, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)

    def check(self):
        run = subprocess.run([sys.executable, CHECKER, self.src, self.widgets],
                             capture_output=True, text=True)
        return run.returncode, run.stdout

    def test_a_tree_that_keeps_the_rules_passes(self):
        self.assertEqual(self.check(), (0, "house rules hold\n"))

    def test_each_breach_is_named_with_its_place(self):
        self.write("core/level.h",
                   '#pragma once\n#include "drill/engine.h"\nnamespace baisuu {\n}\n')
        self.write("drill/model.cpp", '#include <QLabel>\nnamespace baisuu {\n'
                   + function("tooLong", 81) + "}\n")
        self.write("drill/big.cpp", "//\n" * 501)
        self.write("drill/bare.h", "#pragma once\nstruct Bare {};\n")
        code, out = self.check()
        self.assertEqual(code, 1)
        self.assertIn("level.h:2: core/ includes drill/", out)
        self.assertIn("the folders' includes form a circle: core -> drill", out)
        self.assertIn("model.cpp:1: <QLabel> is a widget header", out)
        self.assertIn("model.cpp:3: tooLong is 81 lines (at most 80)", out)
        self.assertIn("big.cpp: 501 lines (at most 500)", out)
        self.assertIn("bare.h: its names are not in namespace baisuu", out)
        self.assertIn("6 breach(es) of the house rules", out)


if __name__ == "__main__":
    unittest.main()
