#!/usr/bin/env python3
"""Runs the end-to-end tests (test_*.py beside this file) against the real
program under wine. Writes passed/failed/skipped counts to --results.

A failing test leaves a screenshot and the list of windows that were on
the screen, so the failure shows what the user would have seen.
"""
import argparse
import json
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


class ScreenReportingResult(unittest.TextTestResult):
    def _show_screen(self, test):
        desktop = harness.DESKTOP
        if desktop is None:
            return
        try:
            shot = desktop.screenshot(test.id().split(".")[-1])
            self.stream.writeln(f"    screen at failure: {shot}")
            self.stream.writeln(f"    windows on screen: {desktop.window_titles()}")
            for line in desktop.program_report():
                self.stream.writeln(f"    {line}")
        except Exception as e:  # the report must not hide the failure itself
            self.stream.writeln(f"    (no screenshot: {e})")

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._show_screen(test)

    def addError(self, test, err):
        super().addError(test, err)
        self._show_screen(test)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--results", help="write the counts here as JSON")
    parser.add_argument("-k", dest="pattern", help="only tests whose name contains this")
    args = parser.parse_args()

    here = os.path.dirname(os.path.abspath(__file__))
    suite = unittest.defaultTestLoader.discover(here, pattern="test_*.py", top_level_dir=here)
    if args.pattern:
        def keep(s):
            out = unittest.TestSuite()
            for t in s:
                if isinstance(t, unittest.TestSuite):
                    out.addTests(keep(t))
                elif args.pattern in t.id():
                    out.addTest(t)
            return out
        suite = keep(suite)

    if not os.path.exists(os.path.join(harness.DIST, "quenbrook.exe")):
        print("build/win/dist/quenbrook.exe is missing: run `make win` first")
        return 1
    harness.DESKTOP = harness.Desktop()
    try:
        runner = unittest.TextTestRunner(verbosity=2, resultclass=ScreenReportingResult)
        result = runner.run(suite)
    finally:
        harness.DESKTOP.close()
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    skipped = len(result.skipped)
    counts = {"passed": result.testsRun - failed - skipped, "failed": failed, "skipped": skipped}
    if args.results:
        with open(args.results, "w") as f:
            json.dump(counts, f)
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
