#!/usr/bin/env python3
"""Measures Mova against mpv (--vo=x11) and ffplay on the same files, window
sizes and virtual display, and prints a table with the ratios.

    python3 bench/compare_players.py [BUILD_DIR] [--runs 3] [--seconds 10]

Builds mova in BUILD_DIR (default build-perf) when needed, makes the clips with
ffmpeg under BUILD_DIR/bench-media, starts one Xvfb, runs every player
--runs times per scenario (players interleaved, so a change in the machine's
load touches all of them alike) and reports medians. Standard library only.
"""

import argparse
import json
import os
import re
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TICKS = os.sysconf("SC_CLK_TCK")
FPS = 30
SCREEN = "1920x1080x24"


# ---------------------------------------------------------------- set-up

def run(cmd, **kw):
    return subprocess.run(cmd, check=True, **kw)


def build_mova(build):
    if not os.path.exists(os.path.join(build, "build.ninja")):
        run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"])
    run(["nice", "cmake", "--build", build, "--target", "mova", "-j2"])
    return os.path.join(build, "src", "app", "mova")


# name: (size, seconds, x264 settings, audio); the noise keeps the bit rate
# near that of real footage (8 Mbit/s at 1080p) instead of a cartoon's.
CLIPS = {
    "play1080.mp4": ("1920x1080", 14, ["-preset", "veryfast", "-b:v", "8M", "-maxrate", "10M", "-bufsize", "20M",
                                       "-g", "60"]),
    "play720.mp4": ("1280x720", 14, ["-preset", "veryfast", "-b:v", "4M", "-maxrate", "5M", "-bufsize", "10M",
                                     "-g", "60"]),
    # Every frame a keyframe: a seek decodes one picture.
    "seek720.mp4": ("1280x720", 12, ["-preset", "veryfast", "-crf", "23", "-g", "1"]),
}


def make_media(folder):
    os.makedirs(folder, exist_ok=True)
    paths = {}
    for name, (size, seconds, x264) in CLIPS.items():
        path = os.path.join(folder, name)
        paths[name] = path
        if os.path.exists(path):
            continue
        print(f"making {path} ...", file=sys.stderr)
        partial = path + ".partial.mp4"
        run(["nice", "ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
             "-f", "lavfi", "-i", f"testsrc2=size={size}:rate={FPS},noise=alls=6:allf=t",
             "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000",
             "-t", str(seconds), "-c:v", "libx264", *x264, "-pix_fmt", "yuv420p",
             "-c:a", "aac", "-b:a", "128k", "-shortest", partial])
        os.replace(partial, path)  # a clip is either whole or absent
    return paths


class Display:
    """One Xvfb for the whole run."""

    def __init__(self):
        for number in range(90, 200):
            if not os.path.exists(f"/tmp/.X{number}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{number}"):
                break
        self.name = f":{number}"
        self.proc = subprocess.Popen(["Xvfb", self.name, "-screen", "0", SCREEN, "-nolisten", "tcp", "-noreset"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            if time.monotonic() > deadline or self.proc.poll() is not None:
                raise SystemExit("Xvfb did not start")
            time.sleep(0.05)

    def close(self):
        self.proc.terminate()
        self.proc.wait()


# ---------------------------------------------------------------- one process

def cpu_seconds(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime
    except (OSError, IndexError):
        return None


def cpu_ns_exact(pid):
    """CPU time of the live threads in ns (the scheduler's count, finer than
    the clock ticks of /proc/PID/stat); for short, quiet stretches."""
    total = 0
    try:
        for task in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                    total += int(f.read().split()[0])
            except OSError:
                pass  # the thread ended
    except OSError:
        return None
    return total


def peak_rss_mb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return None


class Player:
    """A player process whose output is read line by line (also at
    carriage returns, for ffplay's status line), each line stamped on arrival."""

    def __init__(self, cmd, env):
        self.lines = []  # (monotonic time, text)
        self.cond = threading.Condition()
        self.started = time.monotonic()
        # mpv logs to the standard output, the others to the standard error.
        self.proc = subprocess.Popen(cmd, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        buffer = b""
        while True:
            chunk = os.read(self.proc.stdout.fileno(), 65536)
            if not chunk:
                break
            buffer += chunk
            parts = re.split(rb"[\r\n]", buffer)
            buffer = parts.pop()
            now = time.monotonic()
            with self.cond:
                self.lines.extend((now, p.decode("utf-8", "replace")) for p in parts if p.strip())
                self.cond.notify_all()

    def wait_line(self, pattern, timeout, after=0.0):
        """The first line matching pattern that arrived after the stamp `after`."""
        regex = re.compile(pattern)
        deadline = time.monotonic() + timeout
        with self.cond:
            while True:
                for stamp, text in self.lines:
                    if stamp >= after and regex.search(text):
                        return stamp, text
                left = deadline - time.monotonic()
                if left <= 0 or self.proc.poll() is not None:
                    return None
                self.cond.wait(left)

    def matching(self, pattern, before=float("inf")):
        regex = re.compile(pattern)
        with self.cond:
            return [(s, t) for s, t in self.lines if s <= before and regex.search(t)]

    def sample(self):
        return cpu_seconds(self.proc.pid), peak_rss_mb(self.proc.pid)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(2)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.reader.join(2)


def sleep_until(stamp):
    left = stamp - time.monotonic()
    if left > 0:
        time.sleep(left)


def xdotool(env, *args):
    return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True).stdout


def window_of(pid, env, timeout=5.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = xdotool(env, "search", "--onlyvisible", "--pid", str(pid)).split()
        if found:
            return found[0]
        time.sleep(0.05)
    return None


def window_size(window, env):
    shell = xdotool(env, "getwindowgeometry", "--shell", window)
    values = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    return int(values.get("WIDTH", 0)), int(values.get("HEIGHT", 0))


def mpv_properties(sock_path, names):
    values = {}
    try:
        with socket.socket(socket.AF_UNIX) as sock:
            sock.settimeout(1.0)
            sock.connect(sock_path)
            for i, name in enumerate(names):
                sock.sendall((json.dumps({"command": ["get_property", name], "request_id": i}) + "\n").encode())
            data = b""
            while data.count(b"request_id") < len(names):
                data += sock.recv(65536)
        for line in data.decode().splitlines():
            reply = json.loads(line)
            if "request_id" in reply and reply.get("error") == "success":
                values[names[reply["request_id"]]] = reply["data"]
    except (OSError, ValueError):
        pass
    return values


# ---------------------------------------------------------------- scenarios

class Bench:
    def __init__(self, mova, media, display, seconds):
        self.mova = mova
        self.media = media
        self.seconds = seconds
        self.env = dict(os.environ, DISPLAY=display.name, QT_QPA_PLATFORM="xcb", SDL_AUDIODRIVER="dummy")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.tmp = tempfile.mkdtemp(prefix="mova-bench-")
        self.xvfb = display.proc.pid

    def command(self, player, clip, half, paused=False):
        path = self.media[clip]
        if player == "mova":
            return [self.mova, path], dict(self.env, MOVA_STATS="1")
        if player == "mpv":
            sock = os.path.join(self.tmp, "mpv.sock")
            cmd = ["mpv", "--no-config", "--vo=x11", "--ao=null", "--msg-level=all=warn,cplayer=debug",
                   f"--input-ipc-server={sock}"]
            if half:
                cmd += ["--geometry=960x540", "--autofit=960x540"]
            if paused:
                cmd += ["--pause"]
            return cmd + [path], self.env
        cmd = ["ffplay", "-hide_banner", "-stats", "-loglevel", "info"]
        if half:
            cmd += ["-x", "960", "-y", "540"]
        return cmd + [path], self.env

    def playback(self, player, clip, half):
        """CPU, peak RSS, frames shown out of due and the first frame over
        `seconds` of playback from exec."""
        cmd, env = self.command(player, clip, half)
        xvfb_before = cpu_seconds(self.xvfb)
        p = Player(cmd, env)
        result = {}
        if player == "mova" and half:
            # No zoom option on the command line: the 50 % key, as a user would.
            first = p.wait_line(r"first-paint", 5)
            window = window_of(p.proc.pid, env)
            if first is None or window is None:
                p.stop()
                return None
            xdotool(env, "key", "--window", window, "5")
        if player == "mpv":
            # Asked just before the end, while the player still runs.
            sleep_until(p.started + self.seconds - 0.05)
            props = mpv_properties(os.path.join(self.tmp, "mpv.sock"),
                                   ["estimated-frame-number", "frame-drop-count", "vo-drop-frame-count"])
        sleep_until(p.started + self.seconds)
        cpu, rss = p.sample()
        sampled = time.monotonic()
        xvfb_after = cpu_seconds(self.xvfb)
        p.stop()
        if cpu is None:
            return None
        result.update(cpu=cpu, rss=rss, xcpu=xvfb_after - xvfb_before)
        if player == "mova":
            first = p.wait_line(r"first-paint t=", 0)
            reports = p.matching(r"^mova-stats t=", sampled)
            if first and reports:
                t_first = float(re.search(r"t=([\d.]+)", first[1]).group(1))
                last = reports[-1][1]
                painted = int(re.search(r"painted=(\d+)", last).group(1))
                # Due: every frame between the first and the last painted one.
                pts_first = float(re.search(r"first_pts=([-\d.]+)", last).group(1))
                pts_last = float(re.search(r" pts=([-\d.]+)", last).group(1))
                due = round((pts_last - pts_first) * FPS) + 1
                result.update(first_ms=(t_first - p.started) * 1000, shown=painted, due=due)
        elif player == "mpv":
            first = p.wait_line(r"first video frame after restart shown", 0)
            if first:
                result["first_ms"] = (first[0] - p.started) * 1000
            if "estimated-frame-number" in props:
                due = props["estimated-frame-number"] + 1
                drops = props.get("frame-drop-count", 0) + props.get("vo-drop-frame-count", 0)
                result.update(shown=due - drops, due=due)
        else:
            status = p.matching(r"fd=\s*\d+", sampled)
            if status:
                text = status[-1][1]
                clock = float(text.split()[0])
                drops = int(re.search(r"fd=\s*(\d+)", text).group(1))
                due = int(clock * FPS) + 1
                result.update(shown=due - drops, due=due)
        return result

    def paused(self, player, clip):
        """CPU share of one core while paused: the status refresh alone."""
        cmd, env = self.command(player, clip, False, paused=True)
        p = Player(cmd, env)
        if player == "mova":
            if p.wait_line(r"first-paint", 5) is None:
                p.stop()
                return None
            xdotool(env, "key", "--window", window_of(p.proc.pid, env) or "0", "space")
        elif player == "ffplay":
            window = window_of(p.proc.pid, env)
            if window is None:
                p.stop()
                return None
            xdotool(env, "key", "--window", window, "p")
        time.sleep(1.0)  # settle: the pause and its repaint are done
        start_cpu, start = cpu_ns_exact(p.proc.pid), time.monotonic()
        time.sleep(self.seconds)
        end_cpu, end = cpu_ns_exact(p.proc.pid), time.monotonic()
        p.stop()
        if start_cpu is None or end_cpu is None:
            return None
        return {"core_pct": (end_cpu - start_cpu) / 1e9 / (end - start) * 100}

    def drag(self, clip, steps=20):
        """Mova only: steps of a drag along the status bar of a paused clip.
        Measured per step: from the seek the mouse move asked for to the paint
        of the new picture (in the program), and from the moment the bench
        sends the move (xdotool, so its start-up is included) to that paint."""
        cmd, env = self.command("mova", clip, False)
        p = Player(cmd, env)
        window = window_of(p.proc.pid, env)
        if p.wait_line(r"first-paint", 5) is None or window is None:
            p.stop()
            return None
        time.sleep(0.5)
        width, height = window_size(window, env)
        y = height - 6  # inside the 13-pixel status bar
        xdotool(env, "mousemove", "--window", window, "10", str(y), "mousedown", "1")
        time.sleep(0.5)
        inside, outside = [], []
        for i in range(1, steps + 1):
            x = 10 + (width - 20) * i // (steps + 1)
            sent = time.monotonic()
            xdotool(env, "mousemove", "--window", window, str(x), str(y))
            line = p.wait_line(r"seek-paint", 2, after=sent)
            if line:
                paint = float(re.search(r" t=([\d.]+)", line[1]).group(1))
                inside.append(float(re.search(r"step_ms=([\d.]+)", line[1]).group(1)))
                outside.append((paint - sent) * 1000)
            time.sleep(0.15)
        xdotool(env, "mouseup", "1")
        p.stop()
        if not inside:
            return None
        return {"step_ms": statistics.median(inside), "step_sent_ms": statistics.median(outside),
                "steps": len(inside)}


# ---------------------------------------------------------------- report

def median(runs, key):
    values = [r[key] for r in runs if r and r.get(key) is not None]
    return statistics.median(values) if values else None


def fmt(value, spec):
    return "n/a" if value is None else format(value, spec)


def ratio(mine, theirs):
    if mine is None or theirs is None or theirs <= 0:
        return "n/a"
    return f"{mine / theirs:.2f}"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build", nargs="?", default=os.path.join(ROOT, "build-perf"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=float, default=10.0)
    args = parser.parse_args()
    build = os.path.abspath(args.build)

    for tool in ("ffmpeg", "Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            raise SystemExit(f"{tool} is needed")
    peers = [p for p in ("mpv", "ffplay") if shutil.which(p)]
    players = ["mova"] + peers
    mova = build_mova(build)
    media = make_media(os.path.join(build, "bench-media"))
    display = Display()
    bench = Bench(mova, media, display, args.seconds)
    results = {}
    try:
        for n in range(args.runs):
            print(f"run {n + 1} of {args.runs} ...", file=sys.stderr)
            for player in players:
                results.setdefault(("1080", player), []).append(bench.playback(player, "play1080.mp4", True))
                results.setdefault(("720", player), []).append(bench.playback(player, "play720.mp4", False))
                results.setdefault(("paused", player), []).append(bench.paused(player, "play720.mp4"))
            results.setdefault(("drag", "mova"), []).append(bench.drag("seek720.mp4"))
    finally:
        display.close()
        shutil.rmtree(bench.tmp, ignore_errors=True)

    rows = []

    def row(label, key, spec, scenario, better_ratio=True):
        values = {p: median(results.get((scenario, p), []), key) for p in players}
        line = [label] + [fmt(values[p], spec) for p in players]
        line += [ratio(values["mova"], values[p]) if better_ratio else "" for p in peers]
        rows.append(line)

    def shown_row(label, scenario):
        line = [label]
        for p in players:
            runs = [r for r in results.get((scenario, p), []) if r and "shown" in r]
            if not runs:
                line.append("n/a")
                continue
            mid = sorted(runs, key=lambda r: r["shown"] / r["due"])[len(runs) // 2]
            line.append(f"{mid['shown']}/{mid['due']}")
        rows.append(line + [""] * len(peers))

    def spread_row(label, key, scenario):
        # The first picture's time varies from run to run with the machine's
        # load; the lowest and highest show how far a median can be trusted.
        line = [label]
        for p in players:
            values = [r[key] for r in results.get((scenario, p), []) if r and r.get(key) is not None]
            line.append(f"{min(values):.0f}-{max(values):.0f}" if values else "n/a")
        rows.append(line + [""] * len(peers))

    for scenario, title in (("1080", "1080p30 in 960x540"), ("720", "720p30 at 100%")):
        row(f"{title}: CPU s / {args.seconds:g} s", "cpu", ".2f", scenario)
        row(f"{title}: peak RSS MB", "rss", ".0f", scenario)
        shown_row(f"{title}: frames shown/due", scenario)
        row(f"{title}: first frame ms", "first_ms", ".0f", scenario)
        spread_row(f"{title}: first frame, lowest-highest", "first_ms", scenario)
        row(f"{title}: X server CPU s", "xcpu", ".2f", scenario)
    row("drag step ms (seek to paint)", "step_ms", ".1f", "drag", False)
    row("drag step ms (mouse sent to paint)", "step_sent_ms", ".1f", "drag", False)
    row("paused: % of a core", "core_pct", ".2f", "paused")

    header = ["median of %d runs" % args.runs] + players + [f"mova/{p}" for p in peers]
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    for line in [header] + rows:
        print("  ".join(str(c).ljust(w) if i == 0 else str(c).rjust(w) for i, (c, w) in enumerate(zip(line, widths))))


if __name__ == "__main__":
    main()
