"""The package builder window, driven as a user drives it: a name typed,
Build, the setup file checked piece by piece and installed silently, the
package mailed through the recording mail client, Explore To, and the
window's refusals (closing while it builds, replacing a file the user wants
to keep) and failures (a missing piece: nothing half-written stays)."""
import os
import shutil
import stat
import struct
import subprocess
import urllib.parse
import zipfile

import harness
import movies
from e2ecase import E2ECase
from test_languages import Lines
from test_package_install import DESKTOP_KEY, UNINSTALL_KEY

BUILDER = "^Quenbrook$"  # the builder and its message boxes share the caption
OWNER = "^Quenbrook Test Owner$"
# Client coordinates of the controls (the window's design).
NAME_FIELD = (210, 67)
BROWSE = (332, 67)
BUILD = (54, 141)
SEND = (68, 190)
EXPLORE = (193, 190)
CLOSE = (318, 190)

TRAILER = struct.Struct("<8s8I")


def setup_pieces(path):
    """The five pieces of a finished setup file; None while it is being written."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return None
    if len(data) < TRAILER.size:
        return None
    magic, *fields = TRAILER.unpack(data[-TRAILER.size:])
    spans = list(zip(fields[0::2], fields[1::2]))
    if magic != b"QBKSETUP" or spans[-1][0] + spans[-1][1] + TRAILER.size != len(data):
        return None
    spans.insert(0, (0, spans[0][0]))
    return [data[o:o + n] for o, n in spans]


class Builder(E2ECase):
    def setUp(self):
        super().setUp()
        self.app = self.install()
        name = self.id().split(".")[-1]
        self.drive = os.path.join(self.desktop.prefix, "drive_c")
        self.work = os.path.join(self.drive, "qbwork", name)
        self.media = os.path.join(self.drive, "qbmedia", name)
        for d in (self.work, self.media):
            shutil.rmtree(d, ignore_errors=True)
            os.makedirs(d)
        self.work_win = f"C:\\qbwork\\{name}\\"
        self.files = {"stars.swf": movies.movie([(0, 0, 80)]), "moon.swf": movies.movie([(80, 0, 0)]),
                      "tide.mp3": b"\xff\xfb\x90\x00" + bytes(413)}

    def write_settings(self, sound=None):
        """The editor's settings in the working folder: two movies and a sound."""
        if sound is not None:
            self.files["tide.mp3"] = sound
        for name, data in self.files.items():
            with open(os.path.join(self.media, name), "wb") as f:
                f.write(data)
        media = "C:\\qbmedia\\" + self.id().split(".")[-1] + "\\"
        with open(os.path.join(self.work, "Quenbrook.dat"), "w", newline="") as f:
            f.write(f"[Movies]\r\n{media}stars.swf=\r\n{media}moon.swf=\r\n[Options]\r\nQuality=1\r\n"
                    f"[Sounds]\r\n{media}tide.mp3=\r\n")

    def open_builder(self, env=None):
        self.proc = self.desktop.tool("qbbuilder", self.app.win_dir, self.work_win, stdin=subprocess.DEVNULL,
                                      stdout=subprocess.PIPE, env=env)
        self.out = Lines(self.proc)
        self.assertEqual(self.out.next(), "shown")
        self.window = self.desktop.wait_window(BUILDER)[0]
        return self.window

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.desktop._env(), capture_output=True, text=True,
                              check=True).stdout

    def geometry(self, window):
        g = dict(line.split("=") for line in self.xdotool("getwindowgeometry", "--shell", window).split())
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def click(self, point):
        x, y, _, _ = self.geometry(self.window)
        self.xdotool("mousemove", str(x + point[0]), str(y + point[1]), "click", "1")

    def type_name(self, text):
        self.click(NAME_FIELD)
        self.xdotool("key", "End")
        self.xdotool("key", "--repeat", "24", "BackSpace")
        if text:
            self.xdotool("type", "--delay", "20", text)

    def message_box(self):
        """The message box the builder shows over itself."""
        return harness.wait_until("a message box", lambda: [w for w in self.desktop.find_windows(BUILDER)
                                                            if w != self.window])[0]

    def key(self, key, window):
        self.xdotool("key", "--window", window, key)

    def answer(self, key):
        box = self.message_box()
        self.key(key, box)
        harness.wait_until("the message box to go", lambda: box not in self.desktop.find_windows(BUILDER))

    def close_builder(self):
        self.click(CLOSE)
        self.assertEqual(self.out.until("closed")[-2:], ["close accepted", "closed"])
        self.assertEqual(self.proc.wait(timeout=harness.DEADLINE), 0)

    def test_builds_a_package_that_installs_and_mails_it(self):
        self.write_settings()
        record = os.path.join(self.work, "xdg-email.args")
        recorder = os.path.join(self.work, "bin", "xdg-email")
        os.makedirs(os.path.dirname(recorder))
        with open(recorder, "w") as f:
            f.write(f"#!/bin/sh\nprintf '%s\\n' \"$@\" > '{record}'\n")
        os.chmod(recorder, os.stat(recorder).st_mode | stat.S_IXUSR)
        window = self.open_builder(env={"PATH": os.path.dirname(recorder) + os.pathsep + os.environ["PATH"]})

        # A 386 x 217 client area centred on its owner.
        ox, oy, ow, oh = self.geometry(self.desktop.wait_window(OWNER)[0])
        x, y, w, h = self.geometry(window)
        self.assertEqual((w, h), (386, 217))
        self.assertLessEqual(abs((x + w / 2) - (ox + ow / 2)), 2)
        self.assertLessEqual(abs((y + h / 2) - (oy + oh / 2)), 20)  # the caption bar is outside the client area

        # The default output folder follows the typed name.
        self.type_name("Night Sky")
        self.click(BUILD)
        self.assertEqual(self.out.until("build done")[-1], "build done built")
        folder = os.path.join(self.app.unix_dir, "Night Sky")
        pieces = setup_pieces(os.path.join(folder, "setup.exe"))
        self.assertIsNotNone(pieces, "a finished setup file with its trailer")
        build = os.path.join(self.app.unix_dir, "build")
        for i, piece in ((0, "setup.pak"), (1, "install.pak"), (4, "language.dat")):
            with open(os.path.join(build, piece), "rb") as f:
                self.assertEqual(pieces[i], f.read(), piece)
        for i, name in ((2, "install.ini"), (3, "Install.dat")):
            with open(os.path.join(self.work, name), "rb") as f:
                self.assertEqual(pieces[i], f.read(), name)
        ini = pieces[2].decode("latin-1")
        self.assertIn("SaverName=Night Sky", ini)
        self.assertIn("Night Sky.scr=3", ini)
        with zipfile.ZipFile(os.path.join(self.work, "Install.dat")) as z:
            self.assertEqual(z.namelist(), ["Night Sky.scr", "Quenbrook.dat", "QbMpegDll.dll", "blank.swf",
                                            "Uninstall.exe", "language.dat", "stars.swf", "moon.swf", "tide.mp3"])
            for name, data in self.files.items():
                self.assertEqual(z.read(name), data)

        # The package installs on its own.
        setup = os.path.join(folder, "setup.exe")
        self.assertEqual(self.desktop.run(setup, "/S", "/D=C:\\Installed Night Sky"), 0)
        installed = os.path.join(self.drive, "Installed Night Sky")
        for name, sub in (("stars.swf", "Movies"), ("moon.swf", "Movies"), ("tide.mp3", "Sounds")):
            with open(os.path.join(installed, sub, name), "rb") as f:
                self.assertEqual(f.read(), self.files[name])
        self.assertTrue(os.path.exists(os.path.join(installed, "Night Sky.scr")))
        # And goes again, registration and all, leaving the prefix to the other tests as it was.
        self.assertEqual(self.desktop.run(os.path.join(installed, "Uninstall.exe"), "/S", cwd=installed), 0)
        harness.wait_until("the installation to go", lambda: not os.path.exists(installed))
        harness.wait_until("the registration to go", lambda: self.desktop.reg_query(DESKTOP_KEY, "SCRNSAVE.EXE") is None
                           and self.desktop.reg_query(UNINSTALL_KEY, "UninstallString") is None)

        # Zip and Send: the archive beside the setup file goes to the mail client.
        self.click(SEND)
        harness.wait_until("the mail client to be called", lambda: os.path.exists(record))
        with zipfile.ZipFile(os.path.join(folder, "setup.zip")) as z:
            self.assertEqual(z.namelist(), ["setup.exe"])
            self.assertEqual(z.read("setup.exe"), b"".join(pieces) + open(setup, "rb").read()[-TRAILER.size:])
        args = open(record).read().splitlines()
        # See test_mail: this wine hands a mailto: link without the attachment.
        if "--subject" in args:
            self.assertEqual(args[args.index("--subject") + 1], "Night Sky")
            self.assertTrue(args[args.index("--attach") + 1].endswith("setup.zip"), args)
        else:
            query = urllib.parse.parse_qs(urllib.parse.urlsplit(args[0]).query, keep_blank_values=True)
            self.assertEqual(query["subject"], ["Night Sky"])
            self.assertEqual(query.get("body", [""]), [""])

        # A second Build after success does nothing.
        os.remove(setup)
        self.click(BUILD)
        self.assertEqual(self.out.until("build done")[-1], "build done built")
        self.assertFalse(os.path.exists(setup))

        # Explore To: the shell opens the output folder in a file browser.
        self.click(EXPLORE)
        self.desktop.wait_window("^Night Sky$")
        self.xdotool("windowraise", window)  # the browser may cover the builder
        self.close_builder()

    def test_kept_files_and_failed_builds_leave_the_window_ready(self):
        self.write_settings()
        folder = os.path.join(self.app.unix_dir, "NewSaver")
        setup = os.path.join(folder, "setup.exe")
        os.makedirs(folder)
        with open(setup, "wb") as f:
            f.write(b"an earlier setup file")
        language = os.path.join(self.app.unix_dir, "build", "language.dat")
        os.rename(language, language + ".away")
        self.open_builder()

        # Without a name the user is asked for one.
        self.type_name("")
        self.click(BUILD)
        self.answer("Return")
        self.assertEqual(self.out.until("build done")[-1], "build done ready")
        self.type_name("NewSaver")

        # The user keeps the existing file: nothing is written at all.
        self.click(BUILD)
        self.answer("Escape")
        self.assertEqual(self.out.until("build done")[-1], "build done ready")
        self.assertEqual(open(setup, "rb").read(), b"an earlier setup file")
        self.assertFalse(os.path.exists(os.path.join(self.work, "install.ini")))

        # Replaced, but the last piece is missing: "Build Error", and no
        # half-written setup file stays behind.
        self.click(BUILD)
        self.answer("Return")
        self.answer("Return")  # Build Error
        self.assertEqual(self.out.until("build done")[-1], "build done ready")
        self.assertFalse(os.path.exists(setup))

        # Ready again: with the piece back the next attempt builds.
        os.rename(language + ".away", language)
        self.click(BUILD)
        self.assertEqual(self.out.until("build done")[-1], "build done built")
        self.assertIsNotNone(setup_pieces(setup))
        self.close_builder()

    def test_a_chosen_path_stays_and_closing_is_refused_while_building(self):
        # A sound that takes the zip writer a while, so the build is caught in the act.
        self.write_settings(sound=os.urandom(48 * 1024 * 1024))
        os.makedirs(os.path.join(self.drive, "qbout"), exist_ok=True)
        self.open_builder()

        # Chosen in the save dialog: the name no longer moves the path.
        self.click(BROWSE)
        dialog = self.desktop.wait_window("^Save As$")[0]
        self.xdotool("type", "--delay", "20", "C:\\qbout\\chosen")
        self.key("Return", dialog)
        harness.wait_until("the save dialog to go", lambda: dialog not in self.desktop.find_windows("^Save As$"))
        self.type_name("Other")

        self.click(BUILD)
        archive = os.path.join(self.work, "Install.dat")
        harness.wait_until("the archive to be begun", lambda: os.path.exists(archive), interval=0.02)
        self.click(CLOSE)
        self.key("alt+F4", self.window)
        seen = self.out.until("build done")
        # Both attempts came while the build ran, and it went on to the end;
        # by then the progress bar had moved (of two copies and ten listed files).
        self.assertEqual([line.split(" ")[:2] for line in seen], [["close", "refused"]] * 2 + [["build", "done"]])
        self.assertEqual(seen[-1], "build done built")
        for line in seen[:2]:
            position, maximum = map(int, line.split(" ")[2].split("/"))
            self.assertEqual(maximum, 12)
            self.assertGreaterEqual(position, 2)
            self.assertLessEqual(position, maximum)
        self.assertIn(self.window, self.desktop.find_windows(BUILDER))
        # The dialog completed the name with the extension.
        out = os.path.join(self.drive, "qbout")
        self.assertEqual([n.lower() for n in os.listdir(out)], ["chosen.exe"])
        self.assertIsNotNone(setup_pieces(os.path.join(out, os.listdir(out)[0])))
        self.assertFalse(os.path.exists(os.path.join(self.app.unix_dir, "Other")))
        self.assertFalse(os.path.exists(os.path.join(self.app.unix_dir, "NewSaver")))
        self.close_builder()
