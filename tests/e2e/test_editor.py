"""The editor window driven as a user drives it: movies added through the
open dialog (a tool program among them is refused), options changed with
their rules, Save Current Settings writing the settings file and the
system's screensaver registration, the exit question, and project files."""
import os
import re
import shutil
import subprocess

import harness
import movies
from e2ecase import E2ECase
from test_player import near

EDITOR = "^Quenbrook$"  # the editor and its message boxes share the caption
DIALOG = "^(Open|Save As)$"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
SCREENSAVER = "^Quenbrook Screensaver$"
CLIENT_W, CLIENT_H = 459, 312
RED, GREEN, BLUE = (200, 0, 0), (0, 200, 0), (0, 0, 200)
PAGE_TOP = 26

# Client coordinates of what the tests press.
TABS = [(40, 13), (120, 13), (180, 13)]
BTN_ADD = (373, PAGE_TOP + 20)
BTN_CLEAR = (373, PAGE_TOP + 76)
BTN_SAVE = (374, PAGE_TOP + 264)
BTN_EXIT = (428, PAGE_TOP + 264)
EXIT_MOVE, EXIT_CLICK, EXIT_KEY = (40, PAGE_TOP + 159), (40, PAGE_TOP + 179), (40, PAGE_TOP + 199)
QUALITY = (220, PAGE_TOP + 50)
BG_COLOR = (185, PAGE_TOP + 107)
BTN_PLAY = (373, PAGE_TOP + 154)
SOUND_ROW_1 = (60, PAGE_TOP + 56)
MOVIE_ROW_2 = (60, PAGE_TOP + 24)
BTN_PREVIEW = (320, PAGE_TOP + 264)
SMALL_PREVIEW = (373, PAGE_TOP + 180)


def read_settings(path):
    """Sections of a settings file: {name: [(key, value), ...]}."""
    sections, current = {}, None
    with open(path, encoding="latin-1") as f:
        for line in f.read().splitlines():
            if line.startswith("["):
                current = sections.setdefault(line.strip("[]"), [])
            elif "=" in line and current is not None:
                current.append(tuple(line.split("=", 1)))
    return sections


class Editor(E2ECase):
    def setUp(self):
        super().setUp()
        self.keep_registration()
        self.app = self.install()
        self.movies_dir = os.path.join(self.desktop.prefix, "drive_c", "movies")
        os.makedirs(self.movies_dir, exist_ok=True)
        self.put("stars.swf", movies.movie([RED]))
        self.put("moon.swf", movies.movie([GREEN]))
        # A projector: a program with a movie, four bytes and the movie's length behind it.
        inner = movies.movie([BLUE])
        self.put("show.exe", b"MZ" + bytes(300) + inner + b"\x56\x34\x12\xfa" + len(inner).to_bytes(4, "little"))
        self.put("tool.exe", b"MZ" + bytes(500))
        self.put("tide.wav", movies.wave(seconds=0.5))
        self.put("broken.wav", b"RIFF" + bytes(40))
        self.settings = self.app.path("Quenbrook.dat")

    def keep_registration(self):
        """Saving registers the screensaver for the whole prefix; later tests expect the system as it was."""
        ini = os.path.join(self.desktop.prefix, "drive_c", "windows", "system.ini")
        with open(ini, "rb") as f:
            system_ini = f.read()
        value = self.desktop.reg_query(DESKTOP_KEY, "SCRNSAVE.EXE")

        def restore():
            self.desktop.stop_programs()
            with open(ini, "wb") as f:
                f.write(system_ini)
            if value is None:
                args = ["delete", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/f"]
            else:
                args = ["add", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/d", value, "/f"]
            subprocess.run(["wine", "reg", *args], env=self.desktop._env(), capture_output=True)
            subprocess.run(["wineserver", "-w"], env=self.desktop._env(), capture_output=True)
        self.addCleanup(restore)

    def put(self, name, data):
        with open(os.path.join(self.movies_dir, name), "wb") as f:
            f.write(data)

    def write_settings(self, text):
        with open(self.settings, "w", encoding="latin-1", newline="") as f:
            f.write(text.replace("\n", "\r\n"))

    # -- driving the window --------------------------------------------------
    def start(self):
        self.proc = self.app.start()
        self.window = self.desktop.wait_window(EDITOR)[0]
        return self.proc

    def windows(self):
        return self.desktop.find_windows(EDITOR)

    def screen(self, point):
        """Client coordinates of the editor as screen coordinates."""
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.window], env=self.desktop._env(),
                                  capture_output=True, text=True, check=True).stdout
        pos = dict(line.split("=") for line in geometry.split())
        return (int(pos["X"]) + int(pos["WIDTH"]) - CLIENT_W + point[0],
                int(pos["Y"]) + int(pos["HEIGHT"]) - CLIENT_H + point[1])

    def colour_at(self, point, colour):
        x, y = self.screen(point)
        harness.wait_until(f"{colour} at {point}", lambda: near(self.desktop.pixel(x, y), colour))

    def click(self, point):
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.window], env=self.desktop._env(),
                                  capture_output=True, text=True, check=True).stdout
        pos = dict(line.split("=") for line in geometry.split())
        # The X window holds the menu bar above the client area.
        x = int(pos["X"]) + int(pos["WIDTH"]) - CLIENT_W + point[0]
        y = int(pos["Y"]) + int(pos["HEIGHT"]) - CLIENT_H + point[1]
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=self.desktop._env(), check=True)

    def keys(self, *keys):
        subprocess.run(["xdotool", "key", "--delay", "80", *keys], env=self.desktop._env(), check=True)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "30", text], env=self.desktop._env(), check=True)

    def message_box(self):
        """Waits for a message box over the editor and answers its window id."""
        return harness.wait_until("a message box", lambda: [w for w in self.windows() if w != self.window])[0]

    def no_message_box(self):
        self.assertEqual(self.windows(), [self.window])

    def choose_files(self, *names, folder=None):
        """Types the names into the open or save dialog that the last click opened."""
        self.desktop.wait_window(DIALOG)
        if folder:
            self.type(folder)
            self.keys("Return")
        self.type(" ".join(f'"{n}"' for n in names) if len(names) > 1 else names[0])
        self.keys("Return")
        harness.wait_until("the dialog to close", lambda: not self.desktop.find_windows(DIALOG))

    def save_and_wait(self, advice=False):
        """Save Current Settings; with an empty movie list the advice comes first and the save goes on."""
        before = os.path.getmtime(self.settings) if os.path.exists(self.settings) else None
        self.click(BTN_SAVE)
        if advice:
            box = self.message_box()
            self.keys("Return")
            harness.wait_until("the advice to close", lambda: box not in self.windows())
        harness.wait_until("the settings file to be written",
                           lambda: os.path.exists(self.settings) and os.path.getmtime(self.settings) != before)
        # The file is written in one step; read it once it has its options.
        return harness.wait_until("the saved options", lambda: read_settings(self.settings).get("Options") and
                                  read_settings(self.settings))

    def exit_and_wait(self):
        self.click(BTN_EXIT)
        self.assertEqual(self.proc.wait(timeout=harness.DEADLINE), 0)

    # -- the tests -----------------------------------------------------------
    def test_movies_options_and_sounds_saved_and_registered(self):
        self.write_settings("[Path]\nFlashPath=C:\\movies\\\nSoundPath=C:\\movies\\\n")
        self.start()
        self.desktop.screenshot("editor_movies_empty")
        self.click(BTN_ADD)
        self.choose_files("stars.swf", "tool.exe", "show.exe", "moon.swf")
        # One message, for the program that carries no movie; the others are listed.
        box = self.message_box()
        self.desktop.screenshot("editor_not_a_projector")
        self.keys("Return")
        harness.wait_until("the message to close", lambda: box not in self.windows())

        self.click(TABS[1])
        self.click(EXIT_MOVE)
        self.click(EXIT_CLICK)  # no mouse event left: the cursor stays visible
        self.no_message_box()
        self.click(EXIT_KEY)    # the last event cannot go
        box = self.message_box()
        self.keys("Return")
        harness.wait_until("the message to close", lambda: box not in self.windows())
        self.click(QUALITY)
        self.keys("Home", "Return")
        # Pure red through the system's colour dialog, the drop-down's second choice.
        self.click(BG_COLOR)
        self.keys("Down", "Down", "Return")
        self.desktop.wait_window("^Color$")
        self.type("255")
        self.keys("Tab")
        self.type("0")
        self.keys("Tab")
        self.type("0")
        self.keys("Return")
        harness.wait_until("the colour dialog to close", lambda: not self.desktop.find_windows("^Color$"))
        self.desktop.screenshot("editor_options")

        # The sounds page and its Add button by the keyboard alone.
        self.keys("alt+f", "s")
        self.keys("alt+a")
        self.choose_files("tide.wav")
        self.desktop.screenshot("editor_sounds")

        saved = self.save_and_wait()
        m = "C:\\movies\\"
        self.assertEqual([k for k, _ in saved["Movies"]], [m + "stars.swf", m + "show.exe", m + "moon.swf"])
        self.assertEqual([k for k, _ in saved["Sounds"]], [m + "tide.wav"])
        options = dict(saved["Options"])
        self.assertEqual({k: options[k] for k in ("MouseMove", "MouseClick", "KeyPress", "ShowCursor", "Quality")},
                         {"MouseMove": "0", "MouseClick": "0", "KeyPress": "1", "ShowCursor": "1", "Quality": "0"})
        self.assertEqual(options["BgColor"], str(0xFF0000))
        self.assertEqual(dict(saved["Path"])["FlashPath"], "C:\\movies\\")

        # Registered: the running program's short path, in system.ini and the user's desktop key.
        boot = re.search(r"^SCRNSAVE\.EXE=(.*)$", self.desktop.system_ini(), re.M | re.I)
        self.assertIsNotNone(boot)
        short = boot.group(1).strip()
        self.assertRegex(short.upper(), r"^C:\\QB\\[^\\ ]+\\[^\\ ]+\.EXE$")
        self.assertNotIn(" ", short)
        self.assertEqual(self.desktop.reg_query(DESKTOP_KEY, "SCRNSAVE.EXE"), short)

        # Saved just now: leaving asks nothing.
        self.exit_and_wait()

    def test_the_exit_question_follows_what_differs_from_the_file(self):
        # No settings file: the untouched editor shows white where the file reads black.
        self.start()
        self.click(BTN_EXIT)
        self.message_box()
        self.keys("Escape")  # Cancel: the editor stays
        harness.wait_until("the question to close", lambda: self.windows() == [self.window])
        self.assertIsNone(self.proc.poll())
        self.save_and_wait(advice=True)
        self.exit_and_wait()
        saved = open(self.settings, "rb").read()

        # A change, then No: the file stays as it was (the dialog folders aside).
        self.start()
        self.click(TABS[1])
        self.click(EXIT_MOVE)
        self.click(BTN_EXIT)
        self.message_box()
        self.keys("n")
        self.assertEqual(self.proc.wait(timeout=harness.DEADLINE), 0)
        self.assertEqual(read_settings(self.settings)["Options"], [tuple(l.split("=", 1)) for l in
                         saved.decode("latin-1").split("\r\n") if l.startswith(("MovieSize", "Quality", "Sequence",
                         "BgColor", "Mouse", "KeyPress", "ShowCursor", "AutoPlay", "MovieBgSound", "RandomSound"))])

        # A change, then Yes: saved on the way out.
        self.start()
        self.click(TABS[1])
        self.click(EXIT_MOVE)
        self.click(BTN_EXIT)
        self.message_box()
        self.keys("Return")  # Yes is the default answer
        self.assertEqual(self.proc.wait(timeout=harness.DEADLINE), 0)
        self.assertEqual(dict(read_settings(self.settings)["Options"])["MouseMove"], "0")

    def test_a_project_saved_and_loaded_comes_back(self):
        m = "C:\\movies\\"
        self.write_settings(f"[Movies]\n{m}moon.swf=\n{m}stars.swf=\n[Options]\nQuality=1\nSequence=0\n"
                            f"BgColor=255\nAutoPlay=0\n[Sounds]\n{m}tide.wav=\n")
        self.start()
        self.keys("alt+p", "s")
        self.choose_files("C:\\night.qbk")
        project = os.path.join(self.desktop.prefix, "drive_c", "night.qbk")
        harness.wait_until("the project file", lambda: os.path.exists(project))
        written = read_settings(project)
        self.assertNotIn("Path", written)
        self.assertEqual([k for k, _ in written["Movies"]], [m + "moon.swf", m + "stars.swf"])

        # Lists emptied and saved, then the project loaded and saved again.
        self.click(BTN_CLEAR)
        emptied = self.save_and_wait(advice=True)
        self.assertNotIn("Movies", emptied)
        self.keys("alt+p", "l")
        self.choose_files("C:\\night.qbk")
        restored = self.save_and_wait()
        for section in ("Movies", "Sounds"):
            self.assertEqual(restored[section], written[section], section)
        self.assertEqual(dict(restored["Options"]), dict(written["Options"]))
        self.assertEqual(dict(restored["Options"])["BgColor"], "255")

        # Something that is no settings file reads as empty lists and the defaults.
        with open(os.path.join(self.desktop.prefix, "drive_c", "junk.qbk"), "wb") as f:
            f.write(bytes((i * 7919) & 0xFF for i in range(3000)))
        self.keys("alt+p", "l")
        self.choose_files("C:\\junk.qbk")
        defaults = self.save_and_wait(advice=True)
        self.assertNotIn("Movies", defaults)
        self.assertNotIn("Sounds", defaults)
        self.assertEqual(dict(defaults["Options"]), {"MovieSize": "2", "Quality": "2", "Sequence": "1",
                                                     "BgColor": "16777215", "MouseMove": "1", "MouseClick": "1",
                                                     "KeyPress": "1", "ShowCursor": "0", "AutoPlay": "1",
                                                     "MovieBgSound": "1", "RandomSound": "0"})
        # F1 opens the help file of the data folder.
        self.keys("F1")
        self.desktop.wait_window("^Quenbrook Help$")
        self.keys("alt+F4")
        harness.wait_until("the help window to close", lambda: not self.desktop.find_windows("^Quenbrook Help$"))
        self.exit_and_wait()

    def test_sounds_play_and_a_broken_one_is_refused(self):
        m = "C:\\movies\\"
        self.write_settings(f"[Movies]\n{m}stars.swf=\n[Options]\nMovieBgSound=0\nBgColor=16777215\n[Sounds]\n{m}broken.wav=\n{m}tide.wav=\n")
        self.start()
        # The small preview shows a silenced working copy of the first movie.
        copy = os.path.join(self.desktop.temp_dir(), "RIRFlash.swf")
        harness.wait_until("the preview's working copy", lambda: os.path.exists(copy))
        self.assertEqual(os.path.getsize(copy), os.path.getsize(os.path.join(self.movies_dir, "stars.swf")))

        self.click(TABS[2])
        self.click(SOUND_ROW_1)
        self.click(BTN_PLAY)
        box = self.message_box()
        self.desktop.screenshot("editor_invalid_music")
        self.keys("Return")
        harness.wait_until("the message to close", lambda: box not in self.windows())

        # The sink starts its file again whenever the device opens.
        before = self.desktop.sound_bytes()
        self.click(SOUND_ROW_1)
        self.keys("Down")
        self.click(BTN_PLAY)
        harness.wait_until("the tone to reach the sound sink",
                           lambda: (lambda now: now != before and any(now))(self.desktop.sound_bytes()))
        self.no_message_box()
        # Nothing was changed: leaving asks nothing.
        self.exit_and_wait()

    def test_a_settings_file_that_cannot_be_written_keeps_the_editor_and_its_changes(self):
        m = "C:\\movies\\"
        self.write_settings(f"[Movies]\n{m}stars.swf=\n[Options]\nBgColor=16777215\n")
        os.chmod(self.settings, 0o444)
        original = open(self.settings, "rb").read()
        self.start()
        self.click(TABS[1])
        self.click(EXIT_MOVE)
        self.keys("ctrl+s")  # Save Current Settings from the keyboard
        box = self.message_box()  # the general error box
        self.desktop.screenshot("editor_save_refused")
        self.keys("Return")
        harness.wait_until("the error box to close", lambda: box not in self.windows())
        self.assertEqual(open(self.settings, "rb").read(), original)

        # Leaving with Yes tries again; the refusal keeps the window and the change.
        self.click(BTN_EXIT)
        self.message_box()
        self.keys("Return")
        box = harness.wait_until("the error box", lambda: [w for w in self.windows() if w != self.window])[0]
        self.keys("Return")
        harness.wait_until("the error box to close", lambda: box not in self.windows())
        self.assertIsNone(self.proc.poll(), "the editor must stay open when its save failed")

        os.chmod(self.settings, 0o644)
        self.click(BTN_EXIT)
        self.message_box()
        self.keys("Return")
        self.assertEqual(self.proc.wait(timeout=harness.DEADLINE), 0)
        self.assertEqual(dict(read_settings(self.settings)["Options"])["MouseMove"], "0")

    def test_the_small_preview_follows_the_list_and_preview_runs_the_player(self):
        m = "C:\\movies\\"
        self.write_settings(f"[Movies]\n{m}stars.swf=\n{m}moon.swf=\n[Options]\nBgColor=16777215\n")
        original = open(self.settings, "rb").read()
        registered = self.desktop.reg_query(DESKTOP_KEY, "SCRNSAVE.EXE"), self.desktop.system_ini()
        self.start()
        self.colour_at(SMALL_PREVIEW, RED)
        self.click(MOVIE_ROW_2)
        self.colour_at(SMALL_PREVIEW, GREEN)

        self.keys("F5")  # the big Preview button's key: it takes no focus itself
        self.desktop.wait_window(SCREENSAVER)
        self.colour_at((CLIENT_W // 2, CLIENT_H // 2), RED)  # the full-screen player starts at the first movie
        self.keys("space")
        harness.wait_until("the player to close", lambda: not self.desktop.find_windows(SCREENSAVER))
        self.colour_at(SMALL_PREVIEW, GREEN)
        self.no_message_box()
        preview = read_settings(os.path.join(self.desktop.temp_dir(), "Preview.dat"))
        self.assertEqual([k for k, _ in preview["Movies"]], [m + "stars.swf", m + "moon.swf"])
        # The preview neither saves nor registers.
        self.assertEqual(open(self.settings, "rb").read(), original)
        self.assertEqual((self.desktop.reg_query(DESKTOP_KEY, "SCRNSAVE.EXE"), self.desktop.system_ini()), registered)
        self.exit_and_wait()

    def test_build_and_send_stops_without_its_pieces(self):
        m = "C:\\movies\\"
        self.write_settings(f"[Movies]\n{m}stars.swf=\n[Options]\nBgColor=16777215\n")
        os.remove(self.app.path(os.path.join("build", "saver.pak")))
        temp = self.desktop.temp_dir()
        folders = lambda: sorted(n for n in os.listdir(temp) if n.lower().startswith("build")) if os.path.isdir(temp) else []
        before = folders()
        self.start()
        self.keys("alt+p", "b")
        box = self.message_box()  # "Missing Build Files"
        self.desktop.screenshot("editor_missing_build_files")
        self.keys("Return")
        harness.wait_until("the message to close", lambda: box not in self.windows())
        self.assertEqual(folders(), before, "no working folder is made without the pieces")
        self.exit_and_wait()

    def test_build_and_send_hands_a_settings_copy_to_the_builder_and_removes_it(self):
        m = "C:\\movies\\"
        self.write_settings(f"[Movies]\n{m}stars.swf=\n{m}moon.swf=\n[Options]\nBgColor=16777215\n"
                            f"[Sounds]\n{m}tide.wav=\n")
        temp = self.desktop.temp_dir()
        # A folder left from an earlier build stays; the builder works in the next free one.
        leftover = os.path.join(temp, "build")
        os.makedirs(leftover, exist_ok=True)
        with open(os.path.join(leftover, "keep.txt"), "w") as f:
            f.write("mine")
        work = os.path.join(temp, "build1")
        shutil.rmtree(work, ignore_errors=True)
        self.start()
        self.keys("alt+p", "b")
        builder = self.message_box()  # the builder shares the caption
        copy = read_settings(harness.wait_until("the settings copy", lambda: os.path.exists(
            os.path.join(work, "Quenbrook.dat")) and os.path.join(work, "Quenbrook.dat")))
        self.assertEqual([k for k, _ in copy["Movies"]], [m + "stars.swf", m + "moon.swf"])
        self.assertEqual([k for k, _ in copy["Sounds"]], [m + "tide.wav"])
        self.assertNotIn("Path", copy)
        self.desktop.screenshot("editor_builder")

        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", builder], env=self.desktop._env(),
                                  capture_output=True, text=True, check=True).stdout
        pos = dict(line.split("=") for line in geometry.split())
        subprocess.run(["xdotool", "mousemove", str(int(pos["X"]) + 318), str(int(pos["Y"]) + 190), "click", "1"],
                       env=self.desktop._env(), check=True)  # the builder's Close
        harness.wait_until("the builder to close", lambda: builder not in self.windows())
        harness.wait_until("the working folder to go", lambda: not os.path.exists(work))
        self.assertEqual(open(os.path.join(leftover, "keep.txt")).read(), "mine")
        self.exit_and_wait()

    def test_screenshots_of_the_pages_in_both_languages(self):
        """The editor always shows the language file's second language; an
        English-only file in the data folder shows it in English."""
        m = "C:\\movies\\"
        english = os.path.join(self.desktop.prefix, "drive_c", "english")
        os.makedirs(english, exist_ok=True)
        with open(self.app.path("Language.ini"), "rb") as f:
            lines = f.read().split(b"\r\n")
        with open(os.path.join(english, "Language.ini"), "wb") as f:
            f.write(b"\r\n".join(l.split(b"{")[0] if b"=" in l and not l.startswith(b"DELIMITER") else l
                                   for l in lines))
        shots = {}
        for language, app_path in (("chinese", None), ("english", "C:\\english\\")):
            with self.subTest(language=language):
                path = f"[Path]\nAppPath={app_path}\n" if app_path else ""
                self.write_settings(f"{path}[Movies]\n{m}stars.swf=\n{m}moon.swf=\n[Options]\nBgColor=16777215\n"
                                    f"[Sounds]\n{m}tide.wav=\n")
                self.start()
                self.colour_at(SMALL_PREVIEW, RED)
                for page, tab in enumerate(TABS):
                    self.click(tab)
                    shots.setdefault(page, []).append(self.desktop.screenshot(f"editor_{language}_page{page}"))
                self.exit_and_wait()
        for page, (chinese, english_shot) in shots.items():
            with open(chinese, "rb") as a, open(english_shot, "rb") as b:
                self.assertNotEqual(a.read(), b.read(), f"page {page} looks the same in both languages")
