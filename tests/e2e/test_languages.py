"""Windows built on the toolkit under the shipped Language.ini: the language
switches at run time, every live window follows once, and Chinese shows as
Chinese whatever the system's code page."""
import os
import select
import subprocess

import harness
from e2ecase import E2ECase

BUILDER = "^Quenbrook$"


class Lines:
    """The demo's output line by line, read straight from the pipe so that
    waiting with select never misses a line already buffered."""

    def __init__(self, proc):
        self.fd = proc.stdout.fileno()
        self.buffer = b""

    def waiting(self):
        """Complete lines that have arrived, without waiting."""
        while select.select([self.fd], [], [], 0)[0]:
            chunk = os.read(self.fd, 4096)
            if not chunk:
                break
            self.buffer += chunk
        *lines, self.buffer = self.buffer.split(b"\n")
        return [l.decode().strip() for l in lines]

    def next(self, timeout=harness.DEADLINE):
        while b"\n" not in self.buffer:
            if not select.select([self.fd], [], [], timeout)[0]:
                raise harness.Deadline("no line from the demo")
            chunk = os.read(self.fd, 4096)
            if not chunk:
                raise harness.Deadline("the demo ended")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode().strip()

    def until(self, start):
        seen = []
        while True:
            seen.append(self.next())
            if seen[-1].startswith(start):
                return seen



class Languages(E2ECase):
    def start_demo(self, language_file):
        demo = self.desktop.tool("qblangdemo", language_file, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
        return demo, Lines(demo)

    def press(self, window, x, y):
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=self.desktop._env(),
                                  capture_output=True, text=True, check=True).stdout
        pos = dict(line.split("=") for line in geometry.split())
        subprocess.run(["xdotool", "mousemove", str(int(pos["X"]) + x), str(int(pos["Y"]) + y), "mousedown", "1"],
                       env=self.desktop._env(), check=True)

    def click(self, window, x, y):
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=self.desktop._env(),
                                  capture_output=True, text=True, check=True).stdout
        pos = dict(line.split("=") for line in geometry.split())
        subprocess.run(["xdotool", "mousemove", str(int(pos["X"]) + x), str(int(pos["Y"]) + y), "click", "1"],
                       env=self.desktop._env(), check=True)

    def test_switching_one_window_switches_every_window_once(self):
        app = self.install()
        demo, out = self.start_demo(app.win_dir + "Language.ini")
        # The file chooses English; both windows show it from the start.
        self.assertEqual(out.until("ready")[-1], "ready 1")
        builder = self.desktop.wait_window(BUILDER)[0]
        self.desktop.wait_window("^About Quenbrook$")
        english = self.desktop.screenshot("languages_english")

        self.click(builder, 135 + 58, 200 + 13)  # the Chinese button
        changes = [out.next(), out.next()]
        self.assertEqual(changes, ["changed TSaverBuildFrm 2", "changed TAboutForm 2"])
        # The title went through the window system as real Chinese text.
        self.desktop.wait_window("^\u5173\u4e8e Quenbrook$")
        chinese = self.desktop.screenshot("languages_chinese")
        with open(english, "rb") as a, open(chinese, "rb") as b:
            self.assertNotEqual(a.read(), b.read())

        # Back by the keyboard accelerator of the English button.
        subprocess.run(["xdotool", "key", "alt+1"], env=self.desktop._env(), check=True)
        self.assertEqual([out.next(), out.next()], ["changed TSaverBuildFrm 1", "changed TAboutForm 1"])
        self.desktop.wait_window("^About Quenbrook$")

        # The image buttons' pressed look, held down over "Build".
        self.press(builder, 8 + 44, 116 + 13)
        self.desktop.screenshot("image_button_pressed")
        subprocess.run(["xdotool", "mouseup", "1"], env=self.desktop._env(), check=True)
        self.assertEqual(out.next(), "click btnBuild")

        self.click(builder, 262 + 58, 152 + 13)  # Close
        self.assertEqual(out.until("closed")[-1], "closed")
        self.assertEqual(demo.wait(timeout=harness.DEADLINE), 0)

    def test_bad_language_files_never_keep_a_window_from_opening(self):
        app = self.install()
        cases = {
            "missing": None,
            "binary": bytes((i * 7919) & 0xFF for i in range(5000)),
            "truncated": b"[set]\r\nlanguage=2\r\n[captions]\r\nTSaverBuildFrm.btnCancel=&Close{\xb9\xd8",
            "unknown": b"[set]\r\nlanguage=x\r\n[fontsizes]\r\nTSaverBuildFrm.Label5=huge\r\n[nonsense]\r\na=b\r\n",
        }
        for name, data in cases.items():
            with self.subTest(file=name):
                path = app.path(name + ".ini")
                if data is not None:
                    with open(path, "wb") as f:
                        f.write(data)
                demo, out = self.start_demo(app.win_dir + name + ".ini")
                self.assertTrue(out.until("ready")[-1].startswith("ready"))
                self.desktop.wait_window(BUILDER)
                self.desktop.stop_programs()

    def test_a_bad_collection_index_reaches_the_error_box_and_the_window_opens(self):
        app = self.install()
        with open(app.path("bad.ini"), "wb") as f:
            f.write(b"[set]\r\nlanguage=1\r\n[collections]\r\nTSaverBuildFrm.Status.Panels-7+.Text=x\r\n")
        demo, out = self.start_demo(app.win_dir + "bad.ini")
        # The error box comes first, captioned like every message box.
        box = self.desktop.wait_window("^Quenbrook$")
        self.assertEqual(len(box), 1)
        self.assertFalse([l for l in out.waiting() if l.startswith("ready")], "the window must wait for the error box")
        self.desktop.screenshot("languages_error_box")
        subprocess.run(["xdotool", "key", "Return"], env=self.desktop._env(), check=True)
        self.assertEqual(out.until("ready")[-1], "ready 1")
        self.desktop.wait_window(BUILDER)
