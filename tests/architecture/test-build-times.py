#!/usr/bin/env python3
"""Tests of scripts/build-times.py on ninja logs written here: how steps are sorted into kinds
and targets, that a step built twice counts once, and the figures it prints."""
import contextlib
import importlib.util
import io
import os
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "build-times.py")
found = importlib.util.spec_from_file_location("build_times", SCRIPT)
build_times = importlib.util.module_from_spec(found)
found.loader.exec_module(build_times)


def run_on(log_lines, top="5"):
    """The script's output for a build folder whose .ninja_log holds log_lines."""
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, ".ninja_log"), "w") as log:
            log.write("# ninja log v5\n")
            for start, end, output in log_lines:
                log.write(f"{start}\t{end}\t0\t{output}\t0123abcd\n")
        out = io.StringIO()
        saved = sys.argv
        sys.argv = ["build-times.py", folder, top]
        try:
            with contextlib.redirect_stdout(out):
                build_times.main()
        finally:
            sys.argv = saved
        return out.getvalue()


class Kinds(unittest.TestCase):
    CASES = [
        ("src/CMakeFiles/kavri_store.dir/store/Statements.cpp.o", "compile", "kavri_store"),
        ("tests/compose/CMakeFiles/compose_tests.dir/Unity/unity_0_cxx.cxx.o", "compile",
         "compose_tests"),
        ("src/CMakeFiles/kavri_pch_core.dir/cmake_pch.hxx.gch", "precompiled header",
         "kavri_pch_core"),
        ("src/libkavri_store.a", "archive", "kavri_store"),
        ("tests/store_tests", "link", "store_tests"),
        ("bin/kavri-cli", "link", "kavri-cli"),
        ("src/kavri_store_autogen/timestamp", "moc/uic/rcc", "kavri_store"),
        ("src/kavri_store_autogen/mocs_compilation.cpp", "moc/uic/rcc", "kavri_store"),
        ("bin/bdsj_conn.dll", "other", "bdsj_conn.dll"),
    ]

    def test_each_output_gets_its_kind_and_target(self):
        for output, kind, target in self.CASES:
            with self.subTest(output=output):
                self.assertEqual(build_times.kind_of(output), kind)
                self.assertEqual(build_times.target_of(output), target)


class Figures(unittest.TestCase):
    def test_totals_wall_and_slowest_come_from_the_last_run_of_each_step(self):
        out = run_on([
            (0, 4000, "src/CMakeFiles/kavri_store.dir/store/A.cpp.o"),
            (0, 3000, "src/CMakeFiles/kavri_store.dir/store/B.cpp.o"),
            (4000, 4500, "src/libkavri_store.a"),
            (4500, 6500, "tests/store_tests"),
            # A.cpp built again later: only this run counts.
            (7000, 8000, "src/CMakeFiles/kavri_store.dir/store/A.cpp.o"),
        ])
        lines = out.splitlines()
        self.assertEqual(lines[0], "4 steps, wall 8.0 s, step time 6.5 s")
        self.assertIn("  compile                  2 steps      4.0 s   61.5 %", lines)
        self.assertIn("  link                     1 steps      2.0 s   30.8 %", lines)
        self.assertIn("  archive                  1 steps      0.5 s    7.7 %", lines)
        targets = lines[lines.index("slowest 5 targets (step time):") + 1:][:2]
        self.assertEqual(targets, ["       4.5 s  kavri_store", "       2.0 s  store_tests"])
        steps = lines[lines.index("slowest 5 steps:") + 1:]
        self.assertEqual(steps[0].split(), ["3.0", "s", "compile",
                                            "src/CMakeFiles/kavri_store.dir/store/B.cpp.o"])
        self.assertEqual(len(steps), 4)

    def test_an_empty_log_says_so(self):
        self.assertEqual(run_on([]), "no steps in the log\n")


if __name__ == "__main__":
    unittest.main()
