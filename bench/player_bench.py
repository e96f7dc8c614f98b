"""The screensaver under wine on a 1024 x 768 virtual screen: how long from
starting /s to the first movie picture on the screen, and how much CPU the
player takes while a movie animates and while a static one shows."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
os.environ.setdefault("QB_E2E_WORK", os.path.join(os.path.dirname(__file__), "..", "build", "bench-player"))
import harness  # noqa: E402
import movies  # noqa: E402

RED = (200, 0, 0)
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pattern):
    """User and system time of the processes whose command line matches."""
    total = 0
    for pid in subprocess.run(["pgrep", "-f", pattern], capture_output=True, text=True).stdout.split():
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except (OSError, IndexError):
            pass
    return total / TICKS


def cpu_share(exe, seconds=10):
    start_cpu, start = cpu_seconds(exe), time.monotonic()
    time.sleep(seconds)
    return (cpu_seconds(exe) - start_cpu) / (time.monotonic() - start)


def run(desktop, name, film, runs):
    app = desktop.install(name)
    with open(app.path("a.swf"), "wb") as f:
        f.write(film)
    with open(app.path("Quenbrook.dat"), "wb") as f:
        f.write(movies.settings([app.win_dir + "a.swf"], MovieSize=2))
    firsts = []
    for _ in range(runs):
        start = time.monotonic()
        app.start("/s")
        harness.wait_until("the first picture", lambda: any(
            harness_near(desktop.pixel(512, 384), c) for c in (RED, (0, 0, 200))), interval=0.02)
        firsts.append(time.monotonic() - start)
        # Only this installation's process: other wine programs may run beside it.
        share = cpu_share(app.exe)
        desktop.stop_programs()
    return sorted(firsts)[len(firsts) // 2], share


def harness_near(a, b):
    return a is not None and all(abs(x - y) <= 8 for x, y in zip(a, b))


def main():
    desktop = harness.Desktop()
    try:
        # 48 frames at 24 fps, each a new colour over the whole screen.
        animated = movies.movie([RED, (0, 0, 200)] * 24, rate=24)
        static = movies.movie([RED])
        first, busy = run(desktop, "animated", animated, 3)
        _, idle = run(desktop, "static", static, 1)
        print(f"player /s to first movie picture: {first * 1000:.0f} ms (median of 3, wine, 1024x768)")
        print(f"player CPU while a movie redraws the whole screen 24 times a second: {busy * 100:.0f}% of one core")
        print(f"player CPU while a static movie shows: {idle * 100:.1f}% of one core")
    finally:
        desktop.close()


if __name__ == "__main__":
    main()
