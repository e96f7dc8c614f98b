"""The road of a setup package: built from the editor's settings with two
movies and a sound, installed under wine by its own setup program (silently
and through its window), played as the system's screensaver, and removed by
its uninstaller."""
import os
import re
import shutil
import struct
import subprocess

import harness
import movies
from e2ecase import E2ECase

NAME = "Night Sky"
SETUP_WINDOW = "^Night Sky Setup$"
SCREENSAVER = "^Quenbrook Screensaver$"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenbrook-Night Sky"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
PIECES = os.path.join(harness.DIST, "build")
QBTOOL = os.path.join(harness.NATIVE_TREE, "tools", "qbtool")
STARS, MOON = (0, 0, 160), (160, 0, 0)


def assemble(settings, output, work):
    """The builder's layout made by hand, for a tree whose qbtool cannot package yet."""
    with open(settings, encoding="latin-1") as f:
        text = f.read()
    sections, current = {}, None
    for line in text.splitlines():
        if line.startswith("["):
            current = sections.setdefault(line.strip("[]"), [])
        elif "=" in line and current is not None:
            current.append(line.split("=", 1)[0])
    ini = [f"[Settings]\r\nSaverName={NAME}\r\n[Files]\r\n"]
    fixed = [(NAME + ".scr", "3"), ("Quenbrook.dat", "0"), ("QbMpegDll.dll", "0"), ("Uninstall.exe", "0"),
             ("Flash.ocx", "4"), ("Blank.swf", "0"), ("Language.dat", "3")]
    fixed += [(os.path.basename(p), "1") for p in sections.get("Movies", [])]
    fixed += [(os.path.basename(p), "2") for p in sections.get("Sounds", [])]
    ini += [f"{k}={v}\r\n" for k, v in fixed]
    with open(os.path.join(work, "install.ini"), "w", newline="") as f:
        f.write("".join(ini))
    shutil.copy(os.path.join(PIECES, "saver.pak"), os.path.join(work, NAME + ".scr"))
    shutil.copy(os.path.join(PIECES, "uninstall.pak"), os.path.join(work, "Uninstall.exe"))
    shutil.copy(settings, os.path.join(work, "Quenbrook.dat"))
    files = [os.path.join(work, n) for n in (NAME + ".scr", "Quenbrook.dat")]
    files += [os.path.join(harness.DIST, n) for n in ("QbMpegDll.dll", "blank.swf")]
    files += [os.path.join(work, "Uninstall.exe"), os.path.join(PIECES, "language.dat")]
    files += sections.get("Movies", []) + sections.get("Sounds", [])
    subprocess.run([QBTOOL, "zip", os.path.join(work, "Install.dat")] + [f for f in files if os.path.exists(f)],
                   check=True, stdout=subprocess.DEVNULL)
    pieces = [os.path.join(PIECES, "setup.pak"), os.path.join(PIECES, "install.pak"),
              os.path.join(work, "install.ini"), os.path.join(work, "Install.dat"), os.path.join(PIECES, "language.dat")]
    trailer = b"QBKSETUP"
    with open(output, "wb") as out:
        for i, p in enumerate(pieces):
            with open(p, "rb") as f:
                data = f.read()
            if i > 0:
                trailer += struct.pack("<II", out.tell(), len(data))
            out.write(data)
        out.write(trailer)


class PackageInstall(E2ECase):
    def setUp(self):
        super().setUp()
        self.work = os.path.join(harness.WORK, "package")
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.movies = {"stars.swf": movies.movie([STARS]), "moon.swf": movies.movie([MOON])}
        self.sound = b"\xff\xfb\x90\x00" + bytes(413)
        paths = []
        for name, data in list(self.movies.items()) + [("tide.mp3", self.sound)]:
            paths.append(os.path.join(self.work, name))
            with open(paths[-1], "wb") as f:
                f.write(data)
        settings = os.path.join(self.work, "editor.dat")
        with open(settings, "w", newline="") as f:
            f.write(f"[Movies]\r\n{paths[0]}=\r\n{paths[1]}=\r\n[Options]\r\nQuality=1\r\nAutoPlay=1\r\n"
                    f"[Sounds]\r\n{paths[2]}=\r\n")
        pkg_dir = os.path.join(self.desktop.prefix, "drive_c", "pkg")
        os.makedirs(pkg_dir, exist_ok=True)
        self.setup = os.path.join(pkg_dir, "setup.exe")
        usage = subprocess.run([QBTOOL, "--help"], capture_output=True, text=True).stdout
        if "package" in usage:
            subprocess.run([QBTOOL, "package", settings, "--name", NAME, "--pieces", PIECES, "--app", harness.DIST,
                            "-o", self.setup], check=True, stdout=subprocess.DEVNULL)
        else:
            assemble(settings, self.setup, self.work)

    def unix(self, win_path):
        return os.path.join(self.desktop.prefix, "drive_c", *win_path[3:].split("\\"))

    def assert_installed(self, folder):
        d = self.unix(folder)
        with open(os.path.join(PIECES, "saver.pak"), "rb") as f:
            self.assertEqual(open(os.path.join(d, NAME + ".scr"), "rb").read(), f.read())
        for name, data in self.movies.items():
            self.assertEqual(open(os.path.join(d, "Movies", name), "rb").read(), data)
        self.assertEqual(open(os.path.join(d, "Sounds", "tide.mp3"), "rb").read(), self.sound)
        self.assertTrue(os.path.exists(os.path.join(d, "Language.ini")))
        if os.path.exists(os.path.join(harness.DIST, "blank.swf")):
            self.assertTrue(os.path.exists(os.path.join(d, "blank.swf")))
        self.assertFalse(os.path.exists(os.path.join(d, "Flash.ocx")))
        settings = open(os.path.join(d, "Quenbrook.dat"), encoding="latin-1").read()
        listed = re.findall(r"^(.*)=$", settings, re.M)
        self.assertEqual(listed, [folder + "\\Movies\\stars.swf", folder + "\\Movies\\moon.swf",
                                  folder + "\\Sounds\\tide.mp3"])
        self.assertIn("Quality=1", settings)

        # Registered as the editor registers: the short path in both places.
        boot = re.search(r"^SCRNSAVE\.EXE=(.*)$", self.desktop.system_ini(), re.M | re.I)
        self.assertIsNotNone(boot)
        short = boot.group(1).strip()
        self.assertRegex(short.upper(), r"\.SCR$")
        self.assertNotIn(" ", short)
        self.assertEqual(self.desktop.reg_query(DESKTOP_KEY, "SCRNSAVE.EXE"), short)
        self.assertEqual(self.desktop.reg_query(UNINSTALL_KEY, "UninstallString"), f'"{folder}\\Uninstall.exe"')
        return d

    def choose_another_screensaver(self, path):
        """What the user does in Display Properties after installing."""
        subprocess.run(["wine", "reg", "add", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/d", path, "/f"],
                       env=self.desktop._env(), check=True, capture_output=True)
        ini = os.path.join(self.desktop.prefix, "drive_c", "windows", "system.ini")
        text = re.sub(r"^SCRNSAVE\.EXE=.*$", "SCRNSAVE.EXE=" + path.replace("\\", "\\\\"),
                      self.desktop.system_ini(), flags=re.M | re.I)
        with open(ini, "w", encoding="latin-1", newline="") as f:
            f.write(text)

    def uninstall(self, folder, other=None):
        d = self.unix(folder)
        self.assertEqual(self.desktop.run(os.path.join(d, "Uninstall.exe"), "/S", cwd=d), 0)
        # The uninstaller finishes from a copy of itself once the first one has ended.
        harness.wait_until("the installation folder to go", lambda: not os.path.exists(d))
        harness.wait_until("the uninstall entry to go", lambda: self.desktop.reg_query(UNINSTALL_KEY, "UninstallString") is None)
        # The registration goes only while it still names this screensaver.
        boot = re.search(r"^SCRNSAVE\.EXE=(.+)$", self.desktop.system_ini(), re.M | re.I)
        self.assertEqual(boot and boot.group(1).strip(), other)
        self.assertEqual(self.desktop.reg_query(DESKTOP_KEY, "SCRNSAVE.EXE"), other)

    def test_silent_install_plays_and_uninstalls(self):
        folder = "C:\\Saver"
        self.assertEqual(self.desktop.run(self.setup, "/S", "/D=" + folder), 0)
        d = self.assert_installed(folder)
        # The installed screensaver runs from its folder as the system starts it.
        self.desktop.start(os.path.join(d, NAME + ".scr"), "/s", cwd=d)
        self.desktop.wait_window(SCREENSAVER)
        # The first movie of the list, played from where setup put it.
        harness.wait_until("the first movie on the screen",
                           lambda: all(abs(a - b) <= 8 for a, b in zip(self.desktop.pixel(512, 384) or (-99,) * 3, STARS)))
        self.desktop.stop_programs()
        self.uninstall(folder)

    def test_setup_window_installs_into_the_default_folder(self):
        p = self.desktop.start(self.setup)
        window = self.desktop.wait_window(SETUP_WINDOW)[0]
        self.desktop.key("Return", window=window)  # Install is the default button
        done = harness.wait_until("the message that setup is done",
                                  lambda: [w for w in self.desktop.find_windows(SETUP_WINDOW) if w != window])
        self.desktop.key("Return", window=done[0])
        self.assertEqual(p.wait(timeout=harness.DEADLINE), 0)
        user = os.environ.get("USER") or "root"
        folder = f"C:\\users\\{user}\\AppData\\Local\\Programs\\Quenbrook Savers\\{NAME}"
        self.assert_installed(folder)
        self.choose_another_screensaver("C:\\OTHER.SCR")
        self.uninstall(folder, other="C:\\OTHER.SCR")

    def test_setup_speaks_chinese_and_cancel_installs_nothing(self):
        p = self.desktop.start(self.setup, env={"LANG": "zh_CN.UTF-8", "LC_ALL": "zh_CN.UTF-8"})
        window = self.desktop.wait_window("^Night Sky ")[0]  # xdotool's patterns do not take CJK text
        self.assertIn("Night Sky 安装程序", self.desktop.window_titles())
        self.desktop.key("Escape", window=window)
        self.assertEqual(p.wait(timeout=harness.DEADLINE), 1)
        user = os.environ.get("USER") or "root"
        self.assertFalse(os.path.exists(self.unix(f"C:\\users\\{user}\\AppData\\Local\\Programs\\Quenbrook Savers")))
        self.assertIsNone(self.desktop.reg_query(UNINSTALL_KEY, "UninstallString"))

    def test_a_damaged_setup_file_installs_nothing(self):
        data = open(self.setup, "rb").read()
        archive_at = struct.unpack("<I", data[-16:-12])[0]
        damaged = {"data": bytearray(data), "cut": data[:-1000], "trailer": data[:-40] + b"X" * 40}
        damaged["data"][archive_at + 200] ^= 0xFF
        for what, bytes_ in damaged.items():
            with self.subTest(what=what):
                path = self.setup[:-4] + "-" + what + ".exe"
                with open(path, "wb") as f:
                    f.write(bytes_)
                self.assertEqual(self.desktop.run(path, "/S", "/D=C:\\Bad"), 1)
                self.assertFalse(os.path.exists(self.unix("C:\\Bad")))
                self.assertIsNone(self.desktop.reg_query(DESKTOP_KEY, "SCRNSAVE.EXE"))
