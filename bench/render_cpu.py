#!/usr/bin/env python3
"""The "/R" render's wall and CPU time beside its floor.

Writes two songs (bench_RenderSongs): a drum song of 8 mono 16-bit sample
channels, 23 s long, and a heavy one of 64 channels and 64 bars. Each is
rendered with "build/VorbelSteps <song> /R<file>" and set beside its floor:
bench_RenderFloor, a process that reads the same sample files and writes a
WAV of the same length the same way (synced and renamed) without mixing.

The runs alternate (render, floor, and the --before program when given, in
a rotating order), so that what else the machine does falls on all alike.
The CPU time is the child's user + system time (wait4); the wall time is
from its start to its end. Reported: the median over --runs runs, with the
lowest and highest.

  bench/render_cpu.py [--program build/VorbelSteps] [--before other/VorbelSteps]
                      [--bench-dir build/bench] [--runs 21] [--songs drum,heavy]

With --before, both programs' WAVs must be the same bit for bit (else the
script says so and exits 1).
"""

import argparse
import glob
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def run(argv, env):
    """(wall seconds, CPU seconds) of one run; raises when it fails."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if proc.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (" ".join(argv), proc.returncode, err.strip()))
    return wall, usage.ru_utime + usage.ru_stime


def wav_frames(path):
    """Stereo 16-bit frames in a WAV's data chunk."""
    with open(path, "rb") as f:
        data = f.read()
    at = 12
    while at + 8 <= len(data):
        cid, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if cid == b"data":
            return size // 4
        at += 8 + size + (size & 1)
    raise RuntimeError(path + " has no data chunk")


def summary(values):
    return statistics.median(values), min(values), max(values)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", default=os.path.join(HERE, "..", "build", "VorbelSteps"))
    parser.add_argument("--before", help="another build's program, run in turn with this one")
    parser.add_argument("--bench-dir", default=os.path.join(HERE, "..", "build", "bench"))
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--songs", default="drum,heavy")
    args = parser.parse_args()
    programs = [("render", os.path.abspath(args.program))]
    if args.before:
        programs.append(("before", os.path.abspath(args.before)))
    songs_tool = os.path.join(args.bench_dir, "bench_RenderSongs")
    floor_tool = os.path.join(args.bench_dir, "bench_RenderFloor")

    tmp = tempfile.mkdtemp(prefix="vs-render-cpu-")
    try:
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env["HOME"] = tmp
        env["XDG_CONFIG_HOME"] = os.path.join(tmp, "config")
        env["VORBELSTEPS_SETTINGS"] = os.path.join(tmp, "settings.ini")
        subprocess.run([songs_tool, os.path.join(tmp, "songs")], check=True)
        failed = False
        print("%d runs each, in turn; CPU = user + system seconds of the process; median [lowest, highest]"
              % args.runs)
        for song in args.songs.split(","):
            folder = os.path.join(tmp, "songs", song)
            zmp = os.path.join(folder, song + ".zmp")
            samples = sorted(glob.glob(os.path.join(folder, "*.wav")))
            out = {name: os.path.join(tmp, "%s-%s" % (song, name)) for name, _ in programs}
            # A first run of each warms the caches and gives the length.
            for name, program in programs:
                run([program, zmp, "/R" + out[name]], env)
            frames = wav_frames(out["render"] + ".WAV")
            if args.before:
                with open(out["render"] + ".WAV", "rb") as a, open(out["before"] + ".WAV", "rb") as b:
                    if a.read() != b.read():
                        print("  %s: the two programs' WAVs differ" % song)
                        failed = True
            jobs = [(name, [program, zmp, "/R" + out[name]]) for name, program in programs]
            jobs.append(("floor", [floor_tool, os.path.join(tmp, song + "-floor.wav"), str(frames)] + samples))
            times = {name: ([], []) for name, _ in jobs}
            for r in range(args.runs):
                for k in range(len(jobs)):
                    name, argv = jobs[(r + k) % len(jobs)]
                    wall, cpu = run(argv, env)
                    times[name][0].append(wall)
                    times[name][1].append(cpu)
            print("%s song: %d frames (%.1f s of audio), %d sample files" % (song, frames, frames / 44100.0,
                                                                              len(samples)))
            for name, _ in jobs:
                wall, cpu = times[name]
                w, c = summary(wall), summary(cpu)
                print("  %-7s wall %7.1f ms [%6.1f, %6.1f]   CPU %7.1f ms [%6.1f, %6.1f]"
                      % (name, w[0] * 1e3, w[1] * 1e3, w[2] * 1e3, c[0] * 1e3, c[1] * 1e3, c[2] * 1e3))
            floor_cpu = statistics.median(times["floor"][1])
            render_cpu = statistics.median(times["render"][1])
            line = "  render / floor: CPU %.2f, wall %.2f" % (
                render_cpu / floor_cpu, statistics.median(times["render"][0]) / statistics.median(times["floor"][0]))
            if args.before:
                line += "; render / before: CPU %.2f" % (render_cpu / statistics.median(times["before"][1]))
            print(line)
        return 1 if failed else 0
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
