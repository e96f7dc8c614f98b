"""Base class of the end-to-end tests: each test gets the run's desktop and
ends every program it started."""
import unittest

import harness


class E2ECase(unittest.TestCase):
    def setUp(self):
        self.desktop = harness.DESKTOP
        self.desktop.begin_test()
        self.crash_expected = False
        # Cleanups run last first: the programs are ended before their logs
        # are read for crashes.
        self.addCleanup(self._no_program_crashed)
        self.addCleanup(self.desktop.stop_programs)

    def _no_program_crashed(self):
        crashed = self.desktop.crashed_programs()
        if crashed and not self.crash_expected:
            self.fail(f"a program crashed: {', '.join(crashed)}")

    def install(self):
        return self.desktop.install(self.id().split(".")[-1])
