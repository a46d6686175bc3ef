#!/usr/bin/env python3
"""Plays a 10-second clip with repeat on for an hour (or --minutes) and samples
the player's resident memory, open file descriptors and threads every 10 s.

    python3 bench/soak.py [MOVA] [--minutes 60] [--out build-perf/soak]

MOVA defaults to build/src/app/mova. The clip (MJPEG and PCM in AVI, made with
ffmpeg) and the samples (soak.csv) go to --out; with gnuplot installed
(apt-get install gnuplot-nox) the memory over time is drawn into soak-memory.png.
Pass: after the first minute memory grows by less than 2 MB, and the
descriptors and threads never go beyond their count in the first minute; the
player must still be running and answer Exit with 0. --report CSV prints the
figures of an earlier run again. Run by hand, never in CI.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare_players as bench  # noqa: E402  (the Xvfb helper)

SAMPLE_SECONDS = 10


def sample(pid):
    """(resident MB, descriptors, threads) of the process, or None once it is gone."""
    try:
        with open(f"/proc/{pid}/status") as status:
            fields = dict(line.split(":", 1) for line in status if ":" in line)
        rss_mb = int(fields["VmRSS"].split()[0]) / 1024
        return rss_mb, len(os.listdir(f"/proc/{pid}/fd")), int(fields["Threads"])
    except (OSError, KeyError, ValueError):
        return None


def xdotool(display, *args):
    env = dict(os.environ, DISPLAY=display)
    return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True).stdout.split()


def find_window(display, pid, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = xdotool(display, "search", "--onlyvisible", "--pid", str(pid), "--name", r"soak\.avi .* - Mova$")
        if found:
            return found[0]
        time.sleep(0.2)
    return None


def plot(csv, png):
    if shutil.which("gnuplot") is None:
        print("gnuplot is not installed (apt-get install gnuplot-nox): no plot")
        return
    script = (f"set terminal png size 900,500; set output '{png}'; set datafile separator ',';"
              "set xlabel 'minutes'; set ylabel 'resident memory (MB)'; set grid;"
              "set title 'Mova playing a 10 s clip with repeat on';"
              f"plot '{csv}' using ($1/60):2 skip 1 with lines title 'VmRSS'")
    subprocess.run(["gnuplot", "-e", script], check=True)
    print(f"plot: {png}")


def report(rows):
    """Prints the figures of the samples (seconds, MB, descriptors, threads)
    and tells whether the player held steady: after the first minute memory
    grows by less than 2 MB, and descriptors and threads never go beyond what
    they were in the first minute (a stream's threads come and go as it plays)."""
    first = [r for r in rows if r[0] < 60] or rows[:1]
    after = [r for r in rows if r[0] >= 60] or rows
    base, last = after[0], rows[-1]
    growth = max(r[1] for r in after) - base[1]
    print(f"{len(rows)} samples over {rows[-1][0] / 60:.1f} min")
    print(f"memory: {rows[0][1]:.1f} MB at the start, {base[1]:.1f} MB at 1 min, {last[1]:.1f} MB at the end, "
          f"highest after the first minute {base[1] + growth:.1f} MB (+{growth:.2f} MB)")
    steady = growth < 2.0
    for column, name in ((2, "descriptors"), (3, "threads")):
        before = max(r[column] for r in first)
        low, high = min(r[column] for r in after), max(r[column] for r in after)
        print(f"{name}: up to {before} in the first minute, {low}-{high} after it, {last[column]} at the end")
        steady = steady and high <= before
    return steady


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("mova", nargs="?", default="build/src/app/mova")
    parser.add_argument("--minutes", type=float, default=60)
    parser.add_argument("--out", default="build-perf/soak")
    parser.add_argument("--report", metavar="CSV", help="only print the figures and verdict of an earlier run")
    args = parser.parse_args()
    if args.report:
        with open(args.report) as samples:
            rows = [(float(t), float(mb), int(fds), int(threads))
                    for t, mb, fds, threads in (line.split(",") for line in list(samples)[1:])]
        steady = report(rows)
        print("pass" if steady else "FAIL")
        return 0 if steady else 1
    os.makedirs(os.path.join(args.out, "profile", "mova"), exist_ok=True)
    clip = os.path.join(args.out, "soak.avi")
    if not os.path.exists(clip):
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=640x360:rate=25:duration=10",
                        "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=10",
                        "-c:v", "mjpeg", "-q:v", "5", "-c:a", "pcm_s16le", clip], check=True)
    # The defaults plus Exit, so that the run ends as a user ends it.
    with open(os.path.join(args.out, "profile", "mova", "keymap"), "w") as keymap:
        keymap.write("R Repeat\r\nX Exit\r\n")

    display = bench.Display()
    env = dict(os.environ, DISPLAY=display.name, QT_QPA_PLATFORM="xcb",
               QADLPROF=os.path.abspath(os.path.join(args.out, "profile")))
    env.pop("WAYLAND_DISPLAY", None)
    player = subprocess.Popen([args.mova, clip], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    csv = os.path.join(args.out, "soak.csv")
    verdict = 1
    try:
        window = find_window(display.name, player.pid)
        if window is None:
            raise SystemExit("the clip's window did not show")
        xdotool(display.name, "key", "--window", window, "r")
        started = time.monotonic()
        rows = []
        with open(csv, "w") as out:
            out.write("seconds,rss_mb,descriptors,threads\n")
            while time.monotonic() - started < args.minutes * 60:
                got = sample(player.pid)
                if got is None or player.poll() is not None:
                    raise SystemExit(f"the player ended after {time.monotonic() - started:.0f} s")
                rows.append((time.monotonic() - started, *got))
                out.write("%.0f,%.2f,%d,%d\n" % rows[-1])
                out.flush()
                time.sleep(SAMPLE_SECONDS - (time.monotonic() - started) % SAMPLE_SECONDS)
        steady = report(rows)
        xdotool(display.name, "key", "--window", window, "x")
        try:
            code = player.wait(10)
        except subprocess.TimeoutExpired:
            code = None
        print(f"Exit: {'code ' + str(code) if code is not None else 'not answered within 10 s'}")
        ok = steady and code == 0
        print("pass" if ok else "FAIL")
        verdict = 0 if ok else 1
        plot(csv, os.path.join(args.out, "soak-memory.png"))
    finally:
        if player.poll() is None:
            player.kill()
        display.close()
    return verdict


if __name__ == "__main__":
    sys.exit(main())
