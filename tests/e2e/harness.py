"""End-to-end harness: one X server and one fresh wine prefix per test run,
the real quenbrook.exe installed into it, and ways to watch what it does.

Tests wait for windows and files with generous deadlines and never sleep a
fixed time to let something happen: under wine nothing about timing is
guaranteed.
"""
import os
import shutil
import subprocess
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
# Build trees to test; a developer's own trees may stand in for the default ones.
WIN_TREE = os.environ.get("QB_WIN_TREE") or os.path.join(ROOT, "build", "win")
NATIVE_TREE = os.environ.get("QB_NATIVE_TREE") or os.path.join(ROOT, "build", "native")
DIST = os.path.join(WIN_TREE, "dist")
E2E_TOOLS = os.path.join(WIN_TREE, "e2e-tools")
WORK = os.environ.get("QB_E2E_WORK") or os.path.join(ROOT, "build", "e2e")

DEADLINE = 60  # seconds; generous, only ever reached when something is wrong
# What a crash leaves on standard error: wine's report of an exception
# nothing handled, and the C++ runtime's of one that ended the program.
CRASH_SIGNS = ("Unhandled exception", "wine: Unhandled", "terminate called")


def crash_report(lines, tail):
    """What of a program's standard error shows why it ended: the
    debugger's report of a crash from its first line to the backtrace's end
    (the module list after it says little), else the last lines."""
    start = next((i for i, l in enumerate(lines) if any(sign in l for sign in CRASH_SIGNS)), None)
    if start is None or not any(l.startswith("Backtrace:") for l in lines[start:]):
        return lines[-tail:]
    end = next((i for i in range(start, len(lines)) if lines[i].startswith("Modules:")), len(lines))
    return lines[start:end][:60]


class Deadline(Exception):
    pass


def wait_until(what, check, timeout=DEADLINE, interval=0.1):
    """Polls check() until it returns something true; raises Deadline."""
    end = time.monotonic() + timeout
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > end:
            raise Deadline(f"gave up waiting for {what} after {timeout} s")
        time.sleep(interval)


class Installation:
    """The program's files laid out as installed, in a folder of the prefix."""

    def __init__(self, desktop, name):
        self.desktop = desktop
        self.unix_dir = os.path.join(desktop.prefix, "drive_c", "qb", name)
        self.win_dir = "C:\\qb\\" + name + "\\"
        if os.path.exists(self.unix_dir):
            shutil.rmtree(self.unix_dir)
        shutil.copytree(DIST, self.unix_dir)

    @property
    def exe(self):
        return os.path.join(self.unix_dir, "quenbrook.exe")

    def path(self, name):
        return os.path.join(self.unix_dir, name)

    def start(self, *args):
        return self.desktop.start(self.exe, *args, cwd=self.unix_dir)

    def run(self, *args, timeout=DEADLINE):
        return self.desktop.run(self.exe, *args, cwd=self.unix_dir, timeout=timeout)


class Desktop:
    def __init__(self):
        os.makedirs(WORK, exist_ok=True)
        self.xvfb = None
        self.display = os.environ.get("QB_E2E_DISPLAY")
        if not self.display:
            self._start_xvfb()
        self.prefix = os.path.join(WORK, "prefix")
        if os.path.exists(self.prefix):
            subprocess.run(["wineserver", "-k"], env=self._env(), stderr=subprocess.DEVNULL)
            shutil.rmtree(self.prefix)
        self.sound_file = os.path.join(WORK, "sound.raw")
        self.clear_sound()
        self._write_alsa_config()
        subprocess.run([os.path.join(ROOT, "scripts", "wine-prefix.sh"), "ensure", self.prefix],
                       env=self._env(), check=True)
        self.screenshots = os.path.join(WORK, "screenshots")
        os.makedirs(self.screenshots, exist_ok=True)
        self.logs_dir = os.path.join(WORK, "logs")
        if os.path.exists(self.logs_dir):
            shutil.rmtree(self.logs_dir)
        os.makedirs(self.logs_dir)
        self.children = []
        self.logs = []

    # -- environment -------------------------------------------------------
    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number

    def _write_alsa_config(self):
        self.alsa_conf = os.path.join(WORK, "asound.conf")
        with open(self.alsa_conf, "w") as f:
            f.write("</usr/share/alsa/alsa.conf>\n"
                    "pcm.!default {\n"
                    "  type file\n"
                    "  slave.pcm \"null\"\n"
                    f"  file \"{self.sound_file}\"\n"
                    "  format \"raw\"\n"
                    "}\n")

    def _env(self):
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": getattr(self, "prefix", os.path.join(WORK, "prefix")),
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "DISPLAY": self.display or "",
        })
        if hasattr(self, "alsa_conf"):
            env["ALSA_CONFIG_PATH"] = self.alsa_conf
        return env

    # -- programs ----------------------------------------------------------
    def install(self, name):
        return Installation(self, name)

    def start(self, exe, *args, cwd=None, stdin=None, stdout=None, env=None):
        """env: variables to set for this program only (LANG, say)."""
        # What wine says on standard error (a crash, a failed start) is kept
        # for the report of a failing test.
        log = os.path.join(self.logs_dir, f"{len(os.listdir(self.logs_dir)):04d}-{os.path.basename(exe)}.log")
        with open(log, "wb") as err:
            p = subprocess.Popen(["wine", exe, *[str(a) for a in args]], cwd=cwd, env={**self._env(), **(env or {})},
                                 stdin=stdin, stdout=stdout, stderr=err, text=True)
        self.children.append(p)
        self.logs.append((p, log))
        return p

    def begin_test(self):
        self.logs = []

    def program_report(self, lines=15):
        """For each program the current test started: how it ended and the
        last lines it wrote on standard error."""
        report = []
        for p, log in self.logs:
            code = p.poll()
            state = "still running" if code is None else f"ended with code {code}"
            with open(log, "rb") as f:
                shown = crash_report(f.read().decode(errors="replace").splitlines(), lines)
            report.append(f"{os.path.basename(log)}: {state}" + "".join("\n      " + t for t in shown))
        return report

    def crashed_programs(self):
        """The logs of the programs the current test started (or their
        children, which share their standard error) that wine or the C++
        runtime reports as crashed. Such a program may still end with code
        0, so its code alone does not tell."""
        crashed = []
        for _, log in self.logs:
            with open(log, "rb") as f:
                text = f.read().decode(errors="replace")
            if any(sign in text for sign in CRASH_SIGNS):
                crashed.append(os.path.basename(log))
        return crashed

    def run(self, exe, *args, cwd=None, timeout=DEADLINE):
        p = self.start(exe, *args, cwd=cwd)
        try:
            return p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            p.kill()
            raise Deadline(f"{os.path.basename(exe)} {' '.join(map(str, args))} still running after {timeout} s")

    def tool(self, name, *args, **kw):
        return self.start(os.path.join(E2E_TOOLS, name + ".exe"), *args, **kw)

    def stop_programs(self):
        """Ends every wine program of the run (between tests)."""
        for p in self.children:
            if p.poll() is None:
                p.kill()
        subprocess.run(["wineserver", "-k"], env=self._env(), stderr=subprocess.DEVNULL)
        # The next program must not reach a server that is still going down.
        try:
            subprocess.run(["wineserver", "-w"], env=self._env(), stderr=subprocess.DEVNULL, timeout=DEADLINE)
        except subprocess.TimeoutExpired:
            pass
        for p in self.children:
            try:
                p.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        self.children = []

    def close(self):
        self.stop_programs()
        subprocess.run(["wineserver", "-w"], env=self._env(), stderr=subprocess.DEVNULL, timeout=60)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=10)

    # -- the screen --------------------------------------------------------
    def _xdotool(self, *args):
        r = subprocess.run(["xdotool", *args], env=self._env(), capture_output=True, text=True)
        return r.stdout.split()

    def find_windows(self, name):
        """X windows whose title matches the regular expression, visible ones only."""
        return self._xdotool("search", "--onlyvisible", "--name", name)

    def wait_window(self, name, timeout=DEADLINE):
        try:
            return wait_until(f"a window named {name!r}", lambda: self.find_windows(name), timeout)
        except Deadline as e:
            shot = self.screenshot("deadline")
            raise Deadline(f"{e}; windows shown: {self.window_titles()}; screen in {shot}") from None

    def window_titles(self):
        titles = []
        for xid in self._xdotool("search", "--onlyvisible", "--name", "."):
            r = subprocess.run(["xdotool", "getwindowname", xid], env=self._env(), capture_output=True, text=True)
            titles.append(r.stdout.strip())
        return titles

    def key(self, *keys, window=None):
        args = ["key"] + (["--window", window] if window else []) + list(keys)
        subprocess.run(["xdotool", *args], env=self._env(), check=True)

    def screenshot(self, name):
        path = os.path.join(self.screenshots, name + ".png")
        subprocess.run(["import", "-display", self.display, "-window", "root", path], env=self._env(),
                       stderr=subprocess.DEVNULL)
        return path

    def pixel(self, x, y):
        """The colour on the screen at (x, y), as (r, g, b)."""
        r = subprocess.run(["import", "-display", self.display, "-window", "root", "-crop", f"1x1+{x}+{y}",
                            "-depth", "8", "txt:-"], env=self._env(), capture_output=True, text=True)
        hexes = [w for w in r.stdout.split() if w.startswith("#") and len(w) >= 7]
        if not hexes:
            return None
        h = hexes[-1]
        return tuple(int(h[i:i + 2], 16) for i in (1, 3, 5))

    def pixels(self, x, y, w, h):
        """The colours of a w x h rectangle of the screen, row by row."""
        r = subprocess.run(["import", "-display", self.display, "-window", "root", "-crop", f"{w}x{h}+{x}+{y}",
                            "-depth", "8", "rgb:-"], env=self._env(), capture_output=True)
        data = r.stdout
        return [tuple(data[i:i + 3]) for i in range(0, len(data) - 2, 3)]

    # -- what the program leaves behind -------------------------------------
    def reg_query(self, key, value):
        """A registry value as text, or None when it is not there."""
        r = subprocess.run(["wine", "reg", "query", key, "/v", value], env=self._env(),
                           capture_output=True, text=True, errors="replace")
        for line in r.stdout.splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == value.lower() and parts[1].startswith("REG_"):
                return parts[2].strip() if len(parts) == 3 else ""
        return None

    def system_ini(self):
        with open(os.path.join(self.prefix, "drive_c", "windows", "system.ini"), "rb") as f:
            return f.read().decode("latin-1")

    def clear_sound(self):
        """Empties the sink (while nothing plays), so that what follows is new."""
        with open(self.sound_file, "wb"):
            pass

    def sound_bytes(self):
        """What wine's sound output has written to the sink since the last
        sound opened it: each opening of the output starts the sink afresh."""
        try:
            with open(self.sound_file, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return b""

    def temp_dir(self):
        """The Windows temporary directory of the prefix, as a Unix path."""
        user = os.environ.get("USER") or "root"
        return os.path.join(self.prefix, "drive_c", "users", user, "Temp")
DESKTOP = None
