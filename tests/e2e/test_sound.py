"""Sound as the program plays it, under wine with the ALSA file sink: MP3
through the component and QbMpegDll.dll, wave through MCI. The sounds are
made here with sox and lame."""
import os
import select
import subprocess
import time

import harness
from e2ecase import E2ECase


class SoundProgram:
    def __init__(self, desktop, *args):
        self.buffer = b""
        # qbsound always says something first. Once in a long while wine
        # fails to start a process at all under load (it ends at once, with
        # code 1 and not a word): that is told and the start tried again,
        # while anything qbsound itself says counts as the answer.
        for attempt in range(2):
            self.proc = desktop.tool("qbsound", *args, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
            log = desktop.logs[-1][1]
            got = self._fill(harness.DEADLINE)
            if got is None:
                raise harness.Deadline("qbsound said nothing")
            if got or attempt == 1:
                return
            with open(log, "rb") as f:
                said = f.read().decode(errors="replace").strip()
            print(f"\n    qbsound ended before a word (code {self.proc.wait()}); wine said: {said!r}; again")

    def _fill(self, timeout):
        """Reads what is there (waiting up to timeout); False at the end of output."""
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        if not ready:
            return None
        chunk = os.read(self.proc.stdout.fileno(), 4096)
        self.buffer += chunk
        return bool(chunk)

    def line(self, timeout=harness.DEADLINE):
        end = time.monotonic() + timeout
        while b"\n" not in self.buffer:
            got = self._fill(max(0.0, end - time.monotonic()))
            if got is None:
                raise harness.Deadline("no line from qbsound")
            if not got:
                raise AssertionError(f"qbsound ended (code {self.proc.wait()})")
        text, self.buffer = self.buffer.split(b"\n", 1)
        return text.decode().strip()

    def expect(self, prefix, timeout=harness.DEADLINE):
        """Lines up to the first one starting with prefix (which is returned)."""
        end = time.monotonic() + timeout
        while True:
            text = self.line(max(0.1, end - time.monotonic()))
            if text.startswith(prefix):
                return text
            if text.startswith("error") or text.startswith("end") and prefix != "end":
                raise AssertionError(f"waiting for {prefix!r}, got {text!r}")

    def ask(self, command):
        """Sends a command; its answer line (if any) before "ok"."""
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        answer = None
        while True:
            text = self.line()
            if text == "ok":
                return answer
            if text.startswith("error"):
                return text
            if text.startswith("end"):
                self.ended = text
                continue
            answer = text

    def number(self, command):
        return int(self.ask(command).split()[1])

    def quiet_for(self, seconds):
        """True when qbsound says nothing for that long (nothing may happen)."""
        return not self.buffer and self._fill(seconds) is None

    def quit(self):
        self.proc.stdin.write("quit\n")
        self.proc.stdin.flush()
        return self.proc.wait(timeout=harness.DEADLINE)


class Sound(E2ECase):
    def setUp(self):
        super().setUp()
        self.app = self.install()
        self.dir = self.app.path("sounds")
        os.makedirs(self.dir, exist_ok=True)

    def win(self, name):
        return self.app.win_dir + "sounds\\" + name

    def make_mp3(self, name, seconds, *lame_args):
        wav = os.path.join(self.dir, name + ".wav")
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", str(seconds), "sine", "440"],
                       check=True)
        subprocess.run(["lame", "--quiet", *lame_args, wav, os.path.join(self.dir, name)], check=True)
        return self.win(name)

    def mp3_player(self, name):
        program = SoundProgram(self.desktop, "mp3", self.app.win_dir, self.win(name))
        self.assertEqual(program.expect("playing"), "playing")
        return program

    def fresh_sink(self):
        """The sink file starts afresh for each program that opens the device."""
        if os.path.exists(self.desktop.sound_file):
            os.remove(self.desktop.sound_file)

    def test_mp3_plays_to_the_sink_and_reports_its_end(self):
        self.make_mp3("one.mp3", 1.0, "-b", "128")
        self.fresh_sink()
        program = self.mp3_player("one.mp3")
        _, length, pos, late = map(int, program.expect("end").split()[1:])
        print(f"\n    OnPlayEnd {late} ms after the library's end", end=" ")
        self.assertAlmostEqual(length, 1000, delta=60)
        # The end comes once the device has played everything (the sink
        # takes sound faster than real time, so wall-clock time says nothing).
        self.assertGreaterEqual(pos, length - 30)
        self.assertEqual(program.number("mode"), 2)
        played = self.desktop.sound_bytes()
        self.assertGreater(len(played), 50000)
        self.assertTrue(any(b != 0 for b in played), "only silence reached the sink")
        self.assertEqual(program.quit(), 0)

    def test_pause_resume_stop_and_play_again(self):
        self.make_mp3("long.mp3", 10.0, "-V", "6")  # VBR
        program = self.mp3_player("long.mp3")
        harness.wait_until("playback to start", lambda: program.number("pos") > 200)
        self.assertEqual(program.ask("pause"), None)
        self.assertEqual(program.number("mode"), 4)
        # The device may report a few milliseconds it had in hand; then the
        # position holds.
        readings = [program.number("pos")]

        def settled():
            readings.append(program.number("pos"))
            return len(set(readings[-4:])) == 1 and len(readings) >= 4
        harness.wait_until("the position to hold", settled, interval=0.2)
        held = readings[-1]
        for _ in range(5):
            self.assertTrue(program.quiet_for(0.2))
            self.assertEqual(program.number("pos"), held)
        self.assertEqual(program.ask("pause"), "error 2 Incorrect mode")  # already paused
        self.assertEqual(program.ask("resume"), None)
        harness.wait_until("playback to go on", lambda: program.number("pos") > held)
        self.assertEqual(program.ask("stop"), None)
        self.assertEqual(program.number("mode"), 1)
        self.assertTrue(program.quiet_for(1.5), "Stop must not lead to an end event")
        self.assertEqual(program.ask("stop"), "error 2 Incorrect mode")
        self.assertEqual(program.ask("play"), None)
        self.assertEqual(program.number("times"), 3)
        self.assertEqual(program.number("mode"), 3)
        self.assertTrue(program.expect("end").startswith("end"))
        self.assertEqual(program.quit(), 0)

    def test_a_file_deleted_while_playing_ends_cleanly(self):
        self.make_mp3("gone.mp3", 10.0, "-b", "96")
        program = self.mp3_player("gone.mp3")
        harness.wait_until("playback to start", lambda: program.number("pos") > 100)
        os.remove(os.path.join(self.dir, "gone.mp3"))
        program.expect("end")
        self.assertEqual(program.quit(), 0)

    def test_bad_input_and_a_missing_library_are_errors(self):
        with open(os.path.join(self.dir, "text.mp3"), "w") as f:
            f.write("this is not an MP3 file\n" * 50)
        cases = [
            (("mp3", self.app.win_dir, self.win("text.mp3")), "error 3 Input stream error"),
            (("mp3", self.app.win_dir, self.win("missing.mp3")), "error 3 Input stream error"),
            (("mp3", self.app.win_dir + "sounds\\", self.win("text.mp3")), "error 0 Can't load MPEG library"),
        ]
        for args, expected in cases:
            with self.subTest(args=args):
                program = SoundProgram(self.desktop, *args)
                self.assertEqual(program.line(), expected)
                self.assertEqual(program.proc.wait(timeout=harness.DEADLINE), 1)

    def test_wave_through_mci(self):
        wav = os.path.join(self.dir, "tone.wav")
        subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", "-b", "16", wav, "synth", "0.5", "sine", "440"],
                       check=True)
        self.fresh_sink()
        program = SoundProgram(self.desktop, "wave", self.win("tone.wav"))
        self.assertEqual(program.line(), "playing")
        self.assertEqual(program.line(), "end")
        self.assertEqual(program.proc.wait(timeout=harness.DEADLINE), 0)
        played = self.desktop.sound_bytes()
        self.assertGreater(len(played), 10000)
        self.assertTrue(any(b != 0 for b in played))
