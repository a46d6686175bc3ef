#!/usr/bin/env python3
"""Times Mova from exec to its first painted picture, for one or more builds
started in turn on the same clip, so that a change in the machine's speed
touches every build alike.

    python3 bench/first_frame.py CLIP MOVA [MOVA ...] [--starts 20]

Each start runs under one Xvfb with MOVA_STATS=1 and is timed from just
before exec to the arrival of its first-paint line (as the comparison bench
does); the program is then closed. Prints, per build, the median, the lowest
and every start. The bench clips are made by compare_players.py under
BUILD_DIR/bench-media. Standard library only.
"""

import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare_players as bench  # noqa: E402  (the Xvfb and process helpers)


def first_paint_ms(binary, clip, env):
    player = bench.Player([binary, clip], env)
    try:
        line = player.wait_line(r"first-paint", 10)
        return None if line is None else (line[0] - player.started) * 1000
    finally:
        player.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("clip")
    parser.add_argument("builds", nargs="+", help="mova binaries")
    parser.add_argument("--starts", type=int, default=20)
    args = parser.parse_args()

    display = bench.Display()
    env = dict(os.environ, DISPLAY=display.name, QT_QPA_PLATFORM="xcb", MOVA_STATS="1")
    env.pop("WAYLAND_DISPLAY", None)
    times = {build: [] for build in args.builds}
    try:
        for _ in range(args.starts):
            for build in args.builds:
                times[build].append(first_paint_ms(build, args.clip, env))
                time.sleep(0.2)  # let the closed program's exit settle
    finally:
        display.close()

    for build, values in times.items():
        got = [v for v in values if v is not None]
        if not got:
            print(f"{build}: no picture painted")
            continue
        failed = len(values) - len(got)
        print(f"{build}: median {statistics.median(got):.1f} ms, lowest {min(got):.1f} ms"
              + (f", {failed} starts without a picture" if failed else "")
              + "\n    " + " ".join(f"{v:.0f}" for v in got))


if __name__ == "__main__":
    main()
