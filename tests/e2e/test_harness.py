"""The harness itself: sound played by a wine program reaches the sink, and
a program that crashes is seen to."""
import harness
from e2ecase import E2ECase


class SoundSink(E2ECase):
    def test_wave_output_reaches_the_sink(self):
        self.desktop.clear_sound()
        tone = self.desktop.tool("qbhost", "tone")
        self.assertEqual(tone.wait(timeout=harness.DEADLINE), 0)
        played = self.desktop.sound_bytes()
        self.assertGreater(len(played), 10000)
        self.assertTrue(any(b != 0 for b in played), "only silence reached the sink")


class Crashes(E2ECase):
    def test_a_crash_is_seen_whatever_the_exit_code(self):
        crash = self.desktop.tool("qbhost", "crash")
        crash.wait(timeout=harness.DEADLINE)
        self.assertEqual(len(self.desktop.crashed_programs()), 1, self.desktop.program_report())
        self.crash_expected = True
        # The debugger's report, backtrace and all, is in the program's log
        # and in what a failing test shows of it.
        report = "\n".join(self.desktop.program_report())
        self.assertIn("Backtrace:", report)
        self.assertIn("qbhost", report.split("Backtrace:")[1])
        # A program that ends well is not taken for one that crashed.
        self.desktop.begin_test()
        tone = self.desktop.tool("qbhost", "tone")
        self.assertEqual(tone.wait(timeout=harness.DEADLINE), 0)
        self.assertEqual(self.desktop.crashed_programs(), [])
