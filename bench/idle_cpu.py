#!/usr/bin/env python3
"""The program's CPU time per second of wall time, idle and playing.

Starts a virtual display (Xvfb) and a private JACK server (dummy backend,
44100 Hz, JACK's default period of 1024 frames unless --period says
otherwise), then the program on its default drum kit with
fresh settings, and measures, one phase after another:

  idle shown       stopped, the main window shown
  idle minimised   stopped, the main window minimised
  playing shown    the default kit playing, the window shown
  playing minimised

The minimising is done as a window manager does it (WM_STATE Iconic and the
window unmapped); playback is started and stopped with the space key through
the XTest extension. The settings name the JACK output, as a user's do once
chosen (the settings window then stays closed). The CPU time is the sum over
the program's threads of the time they ran (/proc/<pid>/task/*/schedstat,
in nanoseconds), with /proc/<pid>/stat's ticks as the check, then split:
the window thread (the main one), the program's own threads (every other
but the JACK client's) and the JACK client's thread, whose cost is that of
any JACK client (the program names it "JACK client"). The X server's and
JACK's own times are shown beside it.

  bench/idle_cpu.py [--program build/VorbelSteps] [--seconds 10] [--period 1024] [--browser]
  bench/idle_cpu.py --versus other/VorbelSteps [--rounds 8] [--seconds 4]

--versus plays both builds at once and measures their window threads in
turns (playing, the window shown): on a shared machine only such turns
compare two builds fairly.

--browser leaves the sample browser to open as it does for a new user.
Exits non-zero when a phase passes its limit (--check).
"""

import argparse
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
# Limits on the program's threads but the JACK client's: stopped, and
# the window thread while playing with the window shown.
OWN_LIMITS = {"idle shown": 0.001, "idle minimised": 0.001, "stopped again": 0.001}
WINDOW_LIMITS = {"playing shown": 0.008}
JACK_THREAD = "JACK client"


def tick():
    return os.sysconf("SC_CLK_TCK")


def thread_ns(pid):
    """Per thread: (name, nanoseconds run so far, wake-ups so far)."""
    threads = {}
    try:
        tasks = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return threads
    for t in tasks:
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, t)) as f:
                ns = int(f.read().split()[0])
            with open("/proc/%d/task/%s/comm" % (pid, t)) as f:
                comm = f.read().strip()
            switches = 0
            with open("/proc/%d/task/%s/status" % (pid, t)) as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
            threads[t] = (comm, ns, switches)
        except (OSError, ValueError, IndexError):
            pass
    return threads


def run_ns(pid):
    """Nanoseconds the threads of pid ran so far (threads that ended are
    not counted: the phases compare the same threads)."""
    return sum(ns for _, ns, _ in thread_ns(pid).values())


def wakes(pid):
    """Context switches of the threads of pid so far (each a wake-up)."""
    return sum(switches for _, _, switches in thread_ns(pid).values())


def stat_seconds(pid):
    """utime + stime of the whole process (ended threads included)."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / tick()


def measure(pids, seconds, threads_of):
    start = {p: (run_ns(p), stat_seconds(p), wakes(p)) for p in pids}
    threads = thread_ns(threads_of)
    t0 = time.monotonic()
    time.sleep(seconds)
    wall = time.monotonic() - t0
    result = {p: ((run_ns(p) - start[p][0]) / 1e9 / wall, (stat_seconds(p) - start[p][1]) / wall,
                  (wakes(p) - start[p][2]) / wall) for p in pids}
    after = thread_ns(threads_of)
    busy = [(after[t][0], t, (after[t][1] - threads[t][1]) / 1e9 / wall, (after[t][2] - threads[t][2]) / wall)
            for t in after if t in threads]
    result["threads"] = sorted(busy, key=lambda b: -b[2])
    # The window thread, the program's own others, the JACK client's.
    split = [0.0, 0.0, 0.0]
    for comm, tid, cpu, _ in busy:
        split[0 if int(tid) == threads_of else 2 if comm == JACK_THREAD else 1] += cpu
    result["split"] = split
    return result


class X11:
    def __init__(self, display):
        self.x = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.t = ctypes.cdll.LoadLibrary("libXtst.so.6")
        x, t = self.x, self.t
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XStringToKeysym.restype = ctypes.c_ulong
        x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
        x.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                      ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
        x.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x.XUnmapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        t.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
        t.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.dpy = x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display " + display)

    def set_wm_state(self, wid, state):
        atom = self.x.XInternAtom(self.dpy, b"WM_STATE", 0)
        data = (ctypes.c_long * 2)(state, 0)
        self.x.XChangeProperty(self.dpy, wid, atom, atom, 32, 0, data, 2)

    def minimise(self, wid):
        # What a window manager does on iconify (ICCCM 4.1.4).
        self.set_wm_state(wid, 3)
        self.x.XUnmapWindow(self.dpy, wid)
        self.x.XSync(self.dpy, 0)

    def restore(self, wid):
        self.set_wm_state(wid, 1)
        self.x.XMapWindow(self.dpy, wid)
        self.x.XSync(self.dpy, 0)

    def press(self, wid, x, y, keysym):
        self.t.XTestFakeMotionEvent(self.dpy, -1, x, y, 0)
        self.x.XSetInputFocus(self.dpy, wid, 2, 0)
        code = self.x.XKeysymToKeycode(self.dpy, self.x.XStringToKeysym(keysym))
        self.t.XTestFakeKeyEvent(self.dpy, code, 1, 0)
        self.t.XTestFakeKeyEvent(self.dpy, code, 0, 0)
        self.x.XSync(self.dpy, 0)


def main_window(env):
    """The program's main window as xwininfo lists it: (id, x, y)."""
    out = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True, env=env).stdout
    for line in out.splitlines():
        if '("VorbelSteps" "VorbelSteps")' not in line:
            continue
        if ' - VorbelSteps"' not in line and '"VorbelSteps":' not in line:
            continue
        parts = line.split()
        size = [p for p in parts if "x" in p and "+" in p and p[0].isdigit()]
        if not size or size[0].startswith("1x1+"):
            continue
        absolute = parts[-1].lstrip("+").split("+")
        return int(parts[0], 16), int(absolute[0]), int(absolute[1])
    return None


def start_xvfb(tmp):
    r, w = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=tmp)
    os.close(w)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(r, 16)
        if not chunk:
            break
        number += chunk
    os.close(r)
    if not number.strip():
        proc.kill()
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + number.decode().strip()


def start_jack(env, period, which=0):
    name = "vsbench-%d-%d" % (os.getpid(), which)
    env["JACK_DEFAULT_SERVER"] = name
    env["JACK_NO_START_SERVER"] = "1"
    proc = subprocess.Popen(["jackd", "--no-realtime", "-n", name, "-d", "dummy", "-r", "44100", "-p", str(period)],
                            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.5)
    if proc.poll() is not None:
        raise RuntimeError("jackd did not start")
    return proc


def stop(proc, sig=signal.SIGTERM):
    if proc is None or proc.poll() is not None:
        return
    proc.send_signal(sig)
    try:
        proc.wait(timeout=20)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def start_session(program, args, tmp, which=0):
    """Xvfb, JACK and the program on its own display: (xvfb, jack, program,
    display, (window id, x, y)); what started is stopped by the caller."""
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    env.pop("WAYLAND_DISPLAY", None)
    xvfb = jack = proc = None
    xvfb, display = start_xvfb(tmp)
    env["DISPLAY"] = display
    env["HOME"] = tmp
    env["TMPDIR"] = tmp
    env["XDG_CONFIG_HOME"] = os.path.join(tmp, "config")
    env["VORBELSTEPS_SETTINGS"] = os.path.join(tmp, "settings.ini")
    with open(env["VORBELSTEPS_SETTINGS"], "w") as f:
        f.write("[ZM SETTINGS]\n" + ("" if args.browser else "SmpList=0\n") + "DS Driver Name=JACK: system\n")
    try:
        jack = start_jack(env, args.period, which)
        proc = subprocess.Popen([program, "/NoSplash"], env=env, cwd=tmp, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        window = None
        for _ in range(300):
            window = main_window(env)
            if window or proc.poll() is not None:
                break
            time.sleep(0.1)
        if not window:
            raise RuntimeError("the main window never showed")
    except BaseException:
        for p in (proc, jack, xvfb):
            stop(p)
        raise
    return xvfb, jack, proc, display, window


def versus(args, program, other):
    """Both programs play at once, each on its own display and JACK server,
    and their window threads are measured in turns, so that both meet the
    same load of a shared machine."""
    sessions = []
    try:
        for which, p in enumerate((program, other)):
            tmp = tempfile.mkdtemp(prefix="vs-idle-")
            sessions.append((p, tmp, start_session(p, args, tmp, which)))
        for _, _, (_, _, _, display, (wid, wx, wy)) in sessions:
            X11(display).press(wid, wx + 200, wy + 60, b"space")
        time.sleep(args.settle)
        costs = [[], []]
        for _ in range(args.rounds):
            for which, (_, _, (_, _, proc, _, _)) in enumerate(sessions):
                costs[which].append(measure([proc.pid], args.seconds, proc.pid)["split"][0])
        print("The window thread playing with the window shown, CPU-s per s, %d turns of %.0f s:"
              % (args.rounds, args.seconds))
        for (p, _, _), c in zip(sessions, costs):
            print("  %-40s median %.4f  (%s)" % (p, sorted(c)[len(c) // 2], " ".join("%.4f" % v for v in c)))
        medians = [sorted(c)[len(c) // 2] for c in costs]
        print("  ratio of the medians: %.2f" % (medians[0] / max(medians[1], 1e-9)))
        return 0
    finally:
        for _, tmp, (xvfb, jack, proc, _, _) in sessions:
            stop(proc)
            stop(jack)
            stop(xvfb)
            shutil.rmtree(tmp, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", default=os.path.join(HERE, "..", "build", "VorbelSteps"))
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--period", type=int, default=1024, help="JACK's period in frames")
    parser.add_argument("--settle", type=float, default=3.0, help="seconds to wait after each change")
    parser.add_argument("--browser", action="store_true", help="let the sample browser open")
    parser.add_argument("--threads", action="store_true", help="show the busiest threads of each phase")
    parser.add_argument("--check", action="store_true", help="exit 1 when a phase passes its limit")
    parser.add_argument("--versus", metavar="PROGRAM", help="compare the window thread playing against another build")
    parser.add_argument("--rounds", type=int, default=8, help="turns of each program with --versus")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    for tool in ("Xvfb", "jackd", "xwininfo"):
        if shutil.which(tool) is None:
            print("%s is missing: skipped" % tool)
            return 0

    if args.versus:
        return versus(args, program, os.path.abspath(args.versus))
    tmp = tempfile.mkdtemp(prefix="vs-idle-")
    xvfb = jack = proc = None
    try:
        xvfb, jack, proc, display, window = start_session(program, args, tmp)
        wid, wx, wy = window
        x = X11(display)
        time.sleep(args.settle)

        results = []

        def phase(name):
            time.sleep(args.settle)
            r = measure([proc.pid, xvfb.pid, jack.pid], args.seconds, proc.pid)
            results.append((name, r[proc.pid], r["split"], r[xvfb.pid][0], r[jack.pid][0]))
            for comm, tid, cpu, woke in r["threads"][:8] if args.threads else []:
                if cpu > 0.00005:
                    print("    %-18s thread %s %-16s %.4f  %5.0f/s" % (name, tid, comm, cpu, woke))

        phase("idle shown")
        x.minimise(wid)
        phase("idle minimised")
        x.restore(wid)
        time.sleep(1)
        x.press(wid, wx + 200, wy + 60, b"space")
        phase("playing shown")
        x.minimise(wid)
        phase("playing minimised")
        x.restore(wid)
        time.sleep(1)
        x.press(wid, wx + 200, wy + 60, b"space")
        phase("stopped again")
        if proc.poll() is not None:
            raise RuntimeError("the program ended during the measurement (code %d)" % proc.returncode)

        print("CPU-s per s over %.0f s each, JACK period %d frames: the program's threads (/proc stat ticks; "
              "wake-ups per s) = window thread + its other threads + JACK client thread; X server; JACK server"
              % (args.seconds, args.period))
        failed = False
        for name, (ns, ticks, woke), (window, others, client), xs, js in results:
            marks = []
            for what, value, limit in (("own", window + others, OWN_LIMITS.get(name)),
                                       ("window", window, WINDOW_LIMITS.get(name))):
                if limit is not None:
                    failed |= value >= limit
                    marks.append("%s limit %.3f: %s" % (what, limit, "ok" if value < limit else "OVER"))
            print("  %-18s %.4f (%.4f; %4.0f/s) = window %.4f + own %.4f + JACK client %.4f  X %.4f  JACK %.4f%s"
                  % (name, ns, ticks, woke, window, others, client, xs, js,
                     "  (" + "; ".join(marks) + ")" if marks else ""))
        return 1 if (failed and args.check) else 0
    finally:
        stop(proc)
        stop(jack)
        stop(xvfb)
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
