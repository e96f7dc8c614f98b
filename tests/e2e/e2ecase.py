"""Base class of the end-to-end tests: each test gets the run's desktop and
ends every program it started."""
import unittest

import harness


class E2ECase(unittest.TestCase):
    def setUp(self):
        self.desktop = harness.DESKTOP
        self.desktop.begin_test()
        self.addCleanup(self.desktop.stop_programs)

    def install(self):
        return self.desktop.install(self.id().split(".")[-1])
