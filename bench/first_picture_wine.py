#!/usr/bin/env python3
"""Times the Linux build and mova.exe under Wine from exec to the first
picture on the screen, the two started in turn on the same clip.

    python3 bench/first_picture_wine.py CLIP MOVA MOVA_EXE [--starts 10]

Both are timed alike, from just before exec until a pixel in the upper
middle of the player's window (found by its title) is no longer black, read
off one Xvfb with XGetImage; so the figure includes the window's creation,
the opening of the file and its first decoded picture. The Wine server of
build-win's prefix is started once before the first start, as the tests do.
Needs a clip whose picture is not black there (the demo clip). Run by hand.
"""

import argparse
import ctypes
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare_players as bench  # noqa: E402  (Xvfb)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run.sh")


class Screen:
    def __init__(self, name):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.c_void_p
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XGetPixel.restype = ctypes.c_ulong
        self.x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        self.display = self.x.XOpenDisplay(name.encode())
        self.root = self.x.XDefaultRootWindow(self.display)

    def pixel(self, px, py):
        # The one-pixel images are not freed (XDestroyImage is a macro); a run makes a few thousand.
        image = self.x.XGetImage(self.display, self.root, px, py, 1, 1, 0xFFFFFFFF, 2)
        return 0 if not image else self.x.XGetPixel(image, 0, 0) & 0xFFFFFF


def window_centre(env, pattern):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern, "getwindowgeometry", "%@"],
                         env=env, capture_output=True, text=True).stdout
    position = size = None
    for line in out.splitlines():
        words = line.split()
        if words[:1] == ["Position:"]:
            position = [int(v) for v in words[1].split(",")]
        if words[:1] == ["Geometry:"]:
            size = [int(v) for v in words[1].split("x")]
    if not position or not size or size[1] < 100:
        return None
    return position[0] + size[0] // 2, position[1] + size[1] // 3


def first_picture_ms(cmd, env, screen, title):
    started = time.monotonic()
    proc = subprocess.Popen(cmd, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        deadline = started + 20
        centre = None
        while time.monotonic() < deadline:
            centre = centre or window_centre(env, title)
            if centre and screen.pixel(*centre) != 0:
                return (time.monotonic() - started) * 1000
            time.sleep(0.005)
        return None
    finally:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
        time.sleep(0.5)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("clip")
    parser.add_argument("mova")
    parser.add_argument("mova_exe")
    parser.add_argument("--starts", type=int, default=10)
    args = parser.parse_args()
    clip = os.path.realpath(args.clip)
    title = os.path.basename(clip).replace(".", "\\.") + " .* - Mova"
    prefix = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.realpath(args.mova_exe)))), "wine")
    display = bench.Display()
    env = dict(os.environ, DISPLAY=display.name, QT_QPA_PLATFORM="xcb")
    env.pop("WAYLAND_DISPLAY", None)
    subprocess.run([WINE_RUN, prefix, "--start"], env=env, check=True, stdout=subprocess.DEVNULL)
    builds = {
        "Linux (Qt, GStreamer)": [args.mova, clip],
        "Windows under Wine (Win32, DirectShow)": [WINE_RUN, prefix, args.mova_exe, "Z:" + clip.replace("/", "\\")],
    }
    times = {name: [] for name in builds}
    try:
        screen = Screen(display.name)
        for _ in range(args.starts):
            for name, cmd in builds.items():
                times[name].append(first_picture_ms(cmd, env, screen, title))
    finally:
        subprocess.run([WINE_RUN, prefix, "--stop"], env=env, stdout=subprocess.DEVNULL)
        display.close()
    for name, values in times.items():
        got = [v for v in values if v is not None]
        if not got:
            print(f"{name}: no picture")
            continue
        print(f"{name}: median {statistics.median(got):.0f} ms, lowest {min(got):.0f} ms, highest {max(got):.0f} ms"
              + (f", {len(values) - len(got)} starts without a picture" if len(got) < len(values) else ""))


if __name__ == "__main__":
    main()
