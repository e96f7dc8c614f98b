"""The harness itself: sound played by a wine program reaches the sink."""
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
