"""The switches of quenbrook.exe against the real executable under wine."""
import select
import subprocess

import harness
from e2ecase import E2ECase

EDITOR = "^Quenbrook$"
SCREENSAVER = "^Quenbrook Screensaver$"


def read_line(proc, timeout=harness.DEADLINE):
    ready, _, _ = select.select([proc.stdout], [], [], timeout)
    if not ready:
        raise harness.Deadline("no line from the test host")
    return proc.stdout.readline().strip()


class Switches(E2ECase):
    def test_arguments_that_start_nothing_exit_with_zero(self):
        app = self.install()
        for args in (["x"], ["s"], ["/x"], ["/a"], ["/a", "1234"], ["/p"], ["/p", "0"], ["/l:0"]):
            with self.subTest(args=args):
                self.assertEqual(app.run(*args), 0)
        self.assertEqual(self.desktop.find_windows("Quenbrook"), [])

    def test_a_second_screensaver_ends_at_once_while_the_first_runs(self):
        app = self.install()
        first = app.start("/s")
        self.desktop.wait_window(SCREENSAVER)
        for args in (["/S"], ["-s"], ["/save"]):
            with self.subTest(args=args):
                self.assertEqual(app.run(*args), 0)
        self.assertIsNone(first.poll(), "the first screensaver must keep running")
        self.assertEqual(len(self.desktop.find_windows(SCREENSAVER)), 1)
        # An editor may run beside a screensaver.
        app.start("/c")
        self.desktop.wait_window(EDITOR)

    def test_a_second_editor_ends_at_once(self):
        app = self.install()
        first = app.start()
        self.desktop.wait_window(EDITOR)
        for args in (["/c:1234"], ["-C"], []):
            with self.subTest(args=args):
                self.assertEqual(app.run(*args), 0)
        self.assertIsNone(first.poll())
        self.assertEqual(len(self.desktop.find_windows(EDITOR)), 1)


class Preview(E2ECase):
    def test_preview_fills_its_host_and_ends_with_it(self):
        app = self.install()
        for form in ("separate", "colon"):
            with self.subTest(form=form):
                host = self.desktop.tool("qbhost", "window", stdin=subprocess.PIPE, stdout=subprocess.PIPE)
                hwnd = read_line(host).split()[1]
                preview = app.start("/p", hwnd) if form == "separate" else app.start("/p:" + hwnd)
                child = read_line(host)
                self.assertTrue(child.startswith("child Quenbrook Preview"), child)
                size, host_size = child.split()[-3], child.split()[-1]
                self.assertEqual(size, host_size)
                host.stdin.write("close\n")
                host.stdin.flush()
                self.assertEqual(preview.wait(timeout=harness.DEADLINE), 0)
                self.assertEqual(host.wait(timeout=harness.DEADLINE), 0)
