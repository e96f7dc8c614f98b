"""The screensaver as the system runs it: quenbrook.exe /s over the whole
(1024 x 768) screen and /p inside a host window, with generated movies of
known colours. What shows is read from the screen; nothing waits a fixed
time, so each check waits for the next picture that proves the program has
moved on."""
import os
import subprocess
import threading
import time

import harness
import movies
from e2ecase import E2ECase

SCREENSAVER = "^Quenbrook Screensaver$"
RED, DARK_RED = (200, 0, 0), (100, 0, 0)
GREEN, DARK_GREEN = (0, 200, 0), (0, 100, 0)
BLUE = (0, 0, 200)
WINDOW = 0x0000C8  # blue, as the settings file holds colours


def near(a, b, slack=8):
    return a is not None and all(abs(x - y) <= slack for x, y in zip(a, b))


class PlayerCase(E2ECase):
    def prepare(self, films, sounds=(), **options):
        """Installs the program with the movies beside it and a settings
        file that lists them in the given order."""
        app = self.install()
        names = []
        for name, data in films:
            with open(app.path(name), "wb") as f:
                f.write(data)
            names.append(app.win_dir + name)
        sound_names = []
        for name, data in sounds:
            with open(app.path(name), "wb") as f:
                f.write(data)
            sound_names.append(app.win_dir + name)
        options.setdefault("BgColor", WINDOW)
        with open(app.path("Quenbrook.dat"), "wb") as f:
            f.write(movies.settings(names, sound_names, **options))
        return app

    def watch(self, wanted, enough, x=512, y=384, timeout=harness.DEADLINE):
        """The colours shown at (x, y), one entry per change, among `wanted`,
        until enough(seen) is true."""
        seen = []
        end = time.monotonic() + timeout
        while not enough(seen):
            if time.monotonic() > end:
                shot = self.desktop.screenshot("player_deadline")
                raise harness.Deadline(f"saw only {seen}; screen in {shot}")
            colour = self.desktop.pixel(x, y)
            match = next((w for w in wanted if near(colour, w)), None)
            if match and (not seen or seen[-1] != match):
                seen.append(match)
        return seen

    def wait_colour(self, colour, x=512, y=384):
        return self.watch([colour], lambda s: s, x, y)

    def xdo(self, *args):
        subprocess.run(["xdotool", *args], env=self.desktop._env(), check=True)

    def start_saver(self, app):
        saver = app.start("/s")
        self.desktop.wait_window(SCREENSAVER)
        return saver


class FullScreen(PlayerCase):
    # ------------------------------------------------------------ movies

    def test_movies_play_in_list_order_and_rest_on_their_last_picture(self):
        app = self.prepare([("a.swf", movies.movie([RED, DARK_RED], frames_each=6)),
                            ("b.swf", movies.movie([GREEN, DARK_GREEN], frames_each=6))], Sequence=1)
        self.start_saver(app)
        seen = self.watch([RED, DARK_RED, GREEN, DARK_GREEN], lambda s: s.count(RED) + s.count(DARK_RED) >= 3)
        # Each movie ends on its last picture, which stays through the pause;
        # then the next movie, and after the last the first again.
        start = seen.index(DARK_RED)
        self.assertEqual(seen[start:start + 4], [DARK_RED, GREEN, DARK_GREEN, RED], seen)

    def test_random_order_never_repeats_a_movie(self):
        app = self.prepare([("a.swf", movies.movie([RED, DARK_RED], frames_each=3)),
                            ("b.swf", movies.movie([GREEN, DARK_GREEN], frames_each=3))], Sequence=0)
        self.start_saver(app)
        seen = self.watch([RED, DARK_RED, GREEN, DARK_GREEN], lambda s: len(s) >= 9)
        starts = [c for c in seen if c in (RED, GREEN)]
        self.assertGreaterEqual(len(starts), 3, seen)
        for a, b in zip(starts, starts[1:]):
            self.assertNotEqual(a, b, f"a movie came twice in a row: {seen}")

    def test_a_single_movie_loops(self):
        app = self.prepare([("a.swf", movies.movie([RED, GREEN], frames_each=3))])
        self.start_saver(app)
        # A movie that stopped at its end would never change colour again.
        self.assertEqual(len(self.watch([RED, GREEN], lambda s: len(s) >= 5)), 5)

    def test_movies_are_sized_as_chosen_on_the_window_colour(self):
        cases = [
            # own size: 400 x 300 centred at (312, 234)
            (0, 400, 300, [((316, 384), RED), ((308, 384), BLUE), ((512, 238), RED), ((512, 230), BLUE)]),
            # fit: 400 x 200 grows to 1024 x 512 at (0, 128)
            (1, 400, 200, [((4, 384), RED), ((512, 132), RED), ((512, 124), BLUE), ((512, 644), BLUE)]),
        ]
        for size, w, h, points in cases:
            with self.subTest(size=size):
                app = self.prepare([("a.swf", movies.movie([RED], width=w, height=h))], MovieSize=size)
                self.start_saver(app)
                self.wait_colour(RED)
                for (x, y), colour in points:
                    self.assertTrue(near(self.desktop.pixel(x, y), colour), f"({x}, {y}) {self.desktop.pixel(x, y)}")
                self.desktop.stop_programs()

    def test_text_in_a_device_font_is_drawn_by_the_system(self):
        """A text field whose font carries no outlines: the letters, Latin
        and Chinese, come from the system's fonts."""
        app = self.prepare([("a.swf", movies.text_movie("Hello 你好"))], MovieSize=0)
        self.start_saver(app)
        # The stage shows at its own size, centred: its field starts 25 px
        # in and 75 px down, with the text in its first 40 px.
        left, top = 312 + 27, 234 + 77

        def red_in(x0, x1):
            return sum(1 for r, g, b in self.desktop.pixels(left + x0, top, x1 - x0, 40) if r > 150 and g < 90 and b < 90)

        harness.wait_until("red letters in the field", lambda: red_in(0, 70) > 40)
        chinese = red_in(85, 160)
        if chinese <= 40:
            self.fail(f"no Chinese letters; screen in {self.desktop.screenshot('device_text')}")
        self.assertEqual(red_in(200, 340), 0)  # nothing past the text

    # ------------------------------------------------------------ exit

    def test_a_mouse_move_beyond_fifteen_pixels_ends_it(self):
        # One movie looping: no load in between resets the origin, and each
        # new picture on screen shows that the moves before it were handled
        # (wine merges moves that are still queued).
        app = self.prepare([("a.swf", movies.movie([RED, GREEN], frames_each=3))],
                           MouseMove=1, MouseClick=0, KeyPress=0)
        # The window may first report a move where wine believes the pointer
        # is, the middle of the screen: start the pointer there, so that the
        # origin is (512, 384) or the first move below, whichever comes first.
        self.xdo("mousemove", "512", "384")
        saver = self.start_saver(app)
        self.watch([RED, GREEN], lambda s: len(s) >= 1)
        self.xdo("mousemove", "527", "399")
        self.watch([RED, GREEN], lambda s: len(s) >= 2)
        self.assertIsNone(saver.poll(), "15 pixels must not end the screensaver")
        # 16 pixels on one axis from either possible origin.
        self.xdo("mousemove", "528", "415")
        self.assertEqual(saver.wait(timeout=harness.DEADLINE), 0)

    def test_keys_and_clicks_end_it_only_when_chosen(self):
        films = [("a.swf", movies.movie([RED])), ("b.swf", movies.movie([GREEN]))]
        for chosen, other in (("key", "click"), ("click", "key")):
            with self.subTest(chosen=chosen):
                app = self.prepare(films, Sequence=1, MouseMove=0, MouseClick=int(chosen == "click"),
                                   KeyPress=int(chosen == "key"))
                self.xdo("mousemove", "512", "384")
                saver = self.start_saver(app)
                self.wait_colour(RED)
                self.act(other)
                self.wait_colour(GREEN)
                self.assertIsNone(saver.poll(), f"a {other} must not end it")
                self.act(chosen)
                self.assertEqual(saver.wait(timeout=harness.DEADLINE), 0)
                self.desktop.stop_programs()

    def act(self, what):
        if what == "click":
            self.xdo("click", "1")
        else:
            self.xdo("key", "space")

    # ------------------------------------------------------------ sound

    def test_background_sounds_play_one_after_another(self):
        mp3 = os.path.join(self.desktop.temp_dir(), "low.mp3")
        wav = mp3[:-4] + ".wav"
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "1", "sine", "440"], check=True)
        subprocess.run(["lame", "--quiet", wav, mp3], check=True)
        with open(mp3, "rb") as f:
            low = f.read()
        app = self.prepare([("a.swf", movies.movie([RED]))],
                           sounds=[("low.mp3", low), ("high.wav", movies.wave(seconds=1, frequency=880))],
                           Sequence=1, RandomSound=0, KeyPress=1)
        self.desktop.clear_sound()
        sink = SinkWatch(self.desktop)
        saver = self.start_saver(app)
        streams = sink.streams(3)
        self.xdo("key", "space")
        self.assertEqual(saver.wait(timeout=harness.DEADLINE), 0)
        rates = [crossing_rate(s) for s in streams]
        pitches = ["high" if r > 1.5 * min(rates) else "low" for r in rates]
        # The MP3 (low) first, then the wave (high), then the MP3 again.
        self.assertEqual(pitches, ["low", "high", "low"], rates)


    def test_a_movie_is_heard_unless_its_sound_is_off(self):
        """The movie's own tone reaches the sound device, whether an event
        sound (raw or ADPCM) or streamed with its frames; with the movies'
        sound turned off it plays from a silenced copy and nothing does."""
        for kind in ("event", "adpcm", "stream"):
            film = movies.movie([RED, GREEN], frames_each=12, sound=kind, sound_seconds=2)
            for setting in (1, 0):
                with self.subTest(sound=kind, MovieBgSound=setting):
                    app = self.prepare([("a.swf", film)], MovieBgSound=setting)
                    self.desktop.clear_sound()
                    self.start_saver(app)
                    if setting:
                        harness.wait_until("the movie's tone in the sink", lambda: loud_samples(
                            self.desktop.sound_bytes()) >= 44100)
                        self.assertGreater(crossing_rate(self.desktop.sound_bytes()), 0)
                    else:
                        # A whole turn of the loop and more: the tone would have started twice.
                        self.watch([RED, GREEN], lambda s: len(s) >= 4)
                        self.assertEqual(loud_samples(self.desktop.sound_bytes()), 0)
                    self.desktop.stop_programs()

    def test_a_movie_made_elsewhere_is_heard_through_the_system_mp3_codec(self):
        """ffmpeg's movie: JPEG frames and a 440 Hz tone as MP3 stream sound,
        a block a frame."""
        path = os.path.join(self.desktop.temp_dir(), "elsewhere.swf")
        subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                        "-f", "lavfi", "-i", "color=c=red:s=320x240:r=12:d=4",
                        "-f", "lavfi", "-i", "aevalsrc=0.8*sin(440*2*PI*t):s=22050:d=4",
                        "-c:v", "mjpeg", "-c:a", "libmp3lame", "-ar", "22050", "-ac", "1", "-b:a", "64k",
                        "-shortest", path], check=True)
        with open(path, "rb") as f:
            film = f.read()
        app = self.prepare([("a.swf", film)])
        self.desktop.clear_sound()
        self.start_saver(app)
        harness.wait_until("the movie's tone in the sink", lambda: loud_samples(self.desktop.sound_bytes()) >= 44100)
        self.assertGreater(crossing_rate(self.desktop.sound_bytes()), 0)


def loud_samples(stream):
    """How many 16-bit samples in a stream are far from silence."""
    samples = memoryview(stream[:len(stream) // 2 * 2]).cast("h")
    return sum(1 for v in samples if abs(v) > 8000)


class SinkWatch:
    """Collects what each sound writes to the sink. The sink starts afresh
    whenever a sound opens the output, so each sound's stream is taken just
    before the next one replaces it; the watch runs from before the program
    starts, so the first sound is never missed."""

    def __init__(self, desktop):
        self.desktop = desktop
        self.found = []
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        last = b""
        while not self.stop.is_set():
            data = self.desktop.sound_bytes()
            if len(data) < len(last) and crossing_rate(last):
                self.found.append(last)
            last = data
            time.sleep(0.01)

    def streams(self, count, timeout=harness.DEADLINE):
        try:
            harness.wait_until(f"{count} sounds in the sink", lambda: len(self.found) >= count, timeout)
        finally:
            self.stop.set()
            self.thread.join()
        return self.found[:count]


def crossing_rate(stream):
    """How often the tone in a stream of 16-bit samples crosses zero, per
    sample; a tone of twice the pitch crosses twice as often."""
    samples = memoryview(stream[:len(stream) // 2 * 2]).cast("h")
    block, crossings, counted = 4096, 0, 0
    for start in range(0, len(samples) - block, block):
        chunk = samples[start:start + block]
        if max(abs(v) for v in chunk[::7]) < 2000:
            continue  # silence before or after the tone
        crossings += sum(1 for a, b in zip(chunk, chunk[1:]) if (a < 0) != (b < 0))
        counted += block
    return crossings / counted if counted else 0


class Preview(PlayerCase):
    def test_the_preview_plays_a_silenced_copy_inside_its_host(self):
        """Wine shows nothing that one process draws into a window of
        another, so what the preview plays is read from its working copy."""
        loud = movies.movie([RED], sound=True)
        app = self.prepare([("a.swf", loud)])
        copy = os.path.join(self.desktop.temp_dir(), "DEDIVudaz.swf")
        if os.path.exists(copy):
            os.remove(copy)
        host = self.desktop.tool("qbhost", "window", stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        hwnd = host.stdout.readline().split()[1]
        preview = app.start("/p", hwnd)
        self.assertTrue(host.stdout.readline().startswith("child Quenbrook Preview"))

        def silenced_copy():
            try:
                with open(copy, "rb") as f:
                    played = f.read()
            except OSError:
                return False
            # Copied first, silenced in place afterwards: same length, other bytes.
            return len(played) == len(loud) and played != loud

        harness.wait_until("a silenced working copy", silenced_copy)
        with open(app.path("a.swf"), "rb") as f:
            self.assertEqual(f.read(), loud, "the listed movie stays as it was")
        host.stdin.write("close\n")
        host.stdin.flush()
        self.assertEqual(preview.wait(timeout=harness.DEADLINE), 0)
