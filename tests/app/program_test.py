#!/usr/bin/env python3
"""End-to-end tests of the VorbelSteps program, run by CTest.

usage: program_test.py <case> <program> <data folder>

Cases:
  render-default  no display: "/R" renders the default drum kit to a WAV
                  whose length is one pattern at the kit's tempo and which
                  is not silent; no settings are written; the window
                  libraries (Qt, X11), the sound-file and ZIP libraries
                  and their codecs are never loaded
  render-song     a song file named on the command line is rendered (a copy
                  of the kit at another tempo)
  missing-song    a song that does not exist: non-zero exit, no WAV
  damaged-song    a file that is no song: non-zero exit, no WAV
  unwritable-wav  the WAV can't be written: non-zero exit
  size-limit      under a file-size limit smaller than the WAV the write
                  fails cleanly: non-zero exit with a message (not killed by
                  SIGXFSZ), no WAV and no temporary file left
  memory-limit    under address-space limits (ulimit -v 80000 and far less)
                  the render ends with a WAV or with a message, never by
                  abort
  front-data      a package (the kit and its samples, with no samples in
                  the data folder) renders; the same package after 1000
                  bytes of other data renders too, to the same WAV
  missing-data    the data folder is empty (no drum kit): the program still
                  renders (the empty song) and exits with 0
  codec-libraries the sound-file library is loaded only when a sample needs
                  it (the kit with an IMA ADPCM kick renders, as loud as
                  with the plain one), the ZIP library only for a zipped
                  song (the kit packed renders the same WAV)
  alone           the executable without its libraries still renders; a
                  start with windows fails with a message
  smoke           under Xvfb the program shows its window and, asked to
                  close, closes cleanly writing its settings file; asked to
                  close while it starts, it closes cleanly too (skipped
                  without xvfb-run)
  click-save      under Xvfb, on a copy of the kit: a click on an empty step
                  of the tom row and Ctrl+S save the song with that step
                  (the saved song renders a different beat), and the
                  program then closes without a question (skipped without
                  xvfb-run)
  exit-windows    under Xvfb, with fresh settings: the sample browser, the
                  playlist, the channel settings and the settings window
                  open, the close box ends the process within seconds and
                  the settings are written; then a song with a plug-in
                  whose editor opens with it (Debian's delay compensator,
                  where installed) and SIGTERM: the process ends too
                  (skipped without xvfb-run)
  editor-reopen   under Xvfb with openbox, a song opens a plug-in's editor
                  (Debian's delay compensator); its close box, then Editor
                  from the slot's menu: the plug-in's own window is in the
                  editor again
  editor-place    under Xvfb with openbox, the place of a plug-in's editor
                  (event 212) survives two save and open rounds exactly; a
                  place over the main window's caption is moved off it
  limits          no display, under thread limits (as a user of its own,
                  where the test runs as root) and address-space limits:
                  the program answers on its wave-editor socket (its window
                  painted) or ends at once with a message, never by abort;
                  a SIGTERM ends it, leaving no temporary folder
  signal-end      no display, a changed song and settings that can't be
                  written: SIGTERM answers the save question No, ends the
                  program with 0 and says why the settings were not written
  killed-dialog   a run that showed a box (a song with a missing sample)
                  and was killed leaves only its private temporary folder,
                  which the next run removes
  missing-home    with a home folder that does not exist nothing is made
                  there (nor its parent)
  silent-channels a song whose channels name files that can't be used
                  (".dat", no extension, /etc/passwd, a missing WAV) renders
                  and names each channel on standard error; an unreadable
                  song file gives the system's reason
  wm-first-start  under Xvfb with openbox (both started by the test on a
                  free display, a panel taking room from the screen): fresh
                  settings in English, French and Dutch on 1280x1024 and
                  1024x600; the start's windows, each activated, the tips
  wm-windows      there, every window and dialog the program opens, one
                  after the other (the lamp window grown too)
  wm-tool-windows there, each tool window floated and docked again
  wm-minimise     there, the program minimised with its windows shown and
                  restored, by its own button and by the task bar
                  Each fails when a frame leaves the available area, covers
                  the main window's caption or menu bar while the area has
                  room for it elsewhere, when the main window covers the
                  caption of a window below it, when the sample browser is
                  not directly below the active main window, when a window
                  shown is not mapped, or when the window manager cuts the
                  tips' caption (skipped without Xvfb or openbox)
"""

import ctypes
import math
import os
import re
import resource
import signal
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import wave
import zipfile

SKIP = 77  # CTest's SKIP_RETURN_CODE for these tests

KIT_TEMPO = 124
PATTERN_LENGTH = 16


def frames_per_step(bpm):
    return 661500 // bpm


def own_runtime_folder(env, tmp):
    """A runtime folder of the run's own: a program running elsewhere on
    the machine listens in the user's (a second start hands its songs over
    to it and ends)."""
    folder = os.path.join(tmp, "runtime")
    os.makedirs(folder, mode=0o700, exist_ok=True)
    env["XDG_RUNTIME_DIR"] = folder
    return env


def batch_env(tmp):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    env.pop("QT_QPA_PLATFORM", None)  # the program must choose offscreen itself
    env["VORBELSTEPS_SETTINGS"] = os.path.join(tmp, "settings.ini")
    env["XDG_CONFIG_HOME"] = os.path.join(tmp, "config")
    env["TMPDIR"] = tmp
    return env


def run(program, args, env, cwd, timeout=120, preexec=None):
    return subprocess.run([program] + args, env=env, cwd=cwd, capture_output=True, text=True, timeout=timeout,
                          preexec_fn=preexec)


def fail(message, proc=None):
    print("FAIL:", message)
    if proc is not None:
        print("exit code:", proc.returncode)
        print("stdout:", proc.stdout)
        print("stderr:", proc.stderr)
    sys.exit(1)


def wav_stats(path):
    with wave.open(path, "rb") as w:
        channels, width, rate, frames = w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()
        data = w.readframes(frames)
    values = struct.unpack("<%dh" % (len(data) // 2), data)
    rms = math.sqrt(sum(v * v for v in values) / max(len(values), 1)) / 32768.0
    peak = max((abs(v) for v in values), default=0)
    return channels, width, rate, frames, rms, peak


def check_render(proc, wav, expected_frames, tmp):
    if proc.returncode != 0:
        fail("the render ended with a non-zero code", proc)
    if not os.path.isfile(wav):
        fail("no WAV at " + wav, proc)
    channels, width, rate, frames, rms, peak = wav_stats(wav)
    if (channels, width, rate) != (2, 2, 44100):
        fail("format %d channels, %d bytes, %d Hz" % (channels, width, rate))
    if frames != expected_frames:
        fail("%d frames, expected %d" % (frames, expected_frames))
    if rms < 0.02 or peak < 8000:
        fail("the render is (nearly) silent: rms %.4f, peak %d" % (rms, peak))
    if os.path.exists(os.path.join(tmp, "settings.ini")):
        fail("a batch run wrote the settings")
    leftovers = [n for n in os.listdir(tmp) if n.startswith("VorbelSteps-")]
    if leftovers:
        fail("temporary folders left behind: %s" % leftovers)


def render_default(program, data, tmp):
    wav = os.path.join(tmp, "beat.WAV")
    # The extension is changed to ".WAV" whatever was given. The dynamic
    # loader names every library it loads.
    env = batch_env(tmp)
    env["LD_DEBUG"] = "files"
    env["LD_DEBUG_OUTPUT"] = os.path.join(tmp, "loader")
    proc = run(program, ["/R" + os.path.join(tmp, "beat.wav")], env, tmp)
    check_render(proc, wav, PATTERN_LENGTH * frames_per_step(KIT_TEMPO), tmp)
    if wav not in proc.stdout:
        fail("the program does not say where the WAV went", proc)
    loaded = loaded_libraries(tmp)
    for library in ("libQt6", "libX11", "libxcb", "libVorbelStepsWindows", "libVorbelStepsDevices",
                    "librtaudio", "librtmidi", "libpulse", "libjack", "libasound", "libsndfile", "libzip",
                    "libFLAC", "libvorbis", "libopus", "libmpg123", "libmp3lame", "libcrypto", "libgnutls"):
        if library in loaded:
            fail("a render of plain samples loaded " + library)


def loaded_libraries(tmp):
    """What the dynamic loader logged (LD_DEBUG=files to tmp/loader.*), then removed."""
    loaded = ""
    for name in os.listdir(tmp):
        if name.startswith("loader"):
            with open(os.path.join(tmp, name), errors="replace") as f:
                loaded += f.read()
            os.remove(os.path.join(tmp, name))
    if "file=" not in loaded:
        fail("the loader's list of libraries is missing")
    return loaded


def codec_libraries(program, data, tmp):
    if shutil.which("sox") is None:
        print("sox is missing: skipped")
        sys.exit(SKIP)
    kit = os.path.join(data, "Samples", "DrumKits", "Basic")
    own = os.path.join(tmp, "data", "Samples", "DrumKits", "Basic")
    os.makedirs(own)
    for name in os.listdir(kit):
        shutil.copy(os.path.join(kit, name), own)
    env = batch_env(tmp)
    env["VORBELSTEPS_DATA"] = os.path.join(tmp, "data")
    env["LD_DEBUG"] = "files"
    env["LD_DEBUG_OUTPUT"] = os.path.join(tmp, "loader")
    length = PATTERN_LENGTH * frames_per_step(KIT_TEMPO)
    plain = os.path.join(tmp, "plain.WAV")
    check_render(run(program, ["/R" + plain], env, tmp), plain, length, tmp)
    loaded_libraries(tmp)

    # The kick as IMA ADPCM: libsndfile decodes it, loaded for it alone.
    kick = os.path.join(own, "Kick.wav")
    subprocess.run(["sox", os.path.join(kit, "Kick.wav"), "-e", "ima-adpcm", kick], check=True)
    adpcm = os.path.join(tmp, "adpcm.WAV")
    check_render(run(program, ["/R" + adpcm], env, tmp), adpcm, length, tmp)
    loaded = loaded_libraries(tmp)
    if "libsndfile" not in loaded:
        fail("an IMA ADPCM sample was decoded without the sound-file library")
    if "libzip" in loaded:
        fail("a render of a song file loaded the ZIP library")
    if abs(wav_stats(adpcm)[4] - wav_stats(plain)[4]) > 0.1 * wav_stats(plain)[4]:
        fail("the IMA ADPCM kick renders at another level: rms %.4f against %.4f"
             % (wav_stats(adpcm)[4], wav_stats(plain)[4]))

    # The plain kit zipped (song and samples side by side), from a data
    # folder without samples: the ZIP library unpacks it, the sound-file
    # library stays out, and the WAV is the plain one's.
    package = os.path.join(tmp, "kit.zip")
    with zipfile.ZipFile(package, "w") as z:
        for name in os.listdir(kit):
            z.write(os.path.join(kit, name), name)
    empty = os.path.join(tmp, "empty")
    os.makedirs(empty)
    env["VORBELSTEPS_DATA"] = empty
    zipped = os.path.join(tmp, "zipped.WAV")
    check_render(run(program, [package, "/R" + zipped], env, tmp), zipped, length, tmp)
    loaded = loaded_libraries(tmp)
    if "libzip" not in loaded or "libsndfile" in loaded:
        fail("a zipped song of plain samples: ZIP library %s, sound-file library %s"
             % ("libzip" in loaded, "libsndfile" in loaded))
    with open(plain, "rb") as a, open(zipped, "rb") as b:
        if a.read() != b.read():
            fail("the zipped kit renders another WAV than the kit")


def alone(program, data, tmp):
    # The executable without the libraries beside it: a batch render needs
    # neither the windows nor the devices; a start with windows says why it
    # can't.
    bare = os.path.join(tmp, "bare")
    os.makedirs(bare)
    copy = os.path.join(bare, "VorbelSteps")
    shutil.copy(program, copy)
    env = batch_env(tmp)
    env["VORBELSTEPS_DATA"] = data
    wav = os.path.join(tmp, "alone.WAV")
    proc = run(copy, ["/R" + wav], env, tmp)
    check_render(proc, wav, PATTERN_LENGTH * frames_per_step(KIT_TEMPO), tmp)
    proc = run(copy, [], env, tmp)
    if proc.returncode == 0 or "the windows can't be opened" not in proc.stderr:
        fail("a start without the windows' library", proc)


def render_song(program, data, tmp):
    kit = os.path.join(data, "Samples", "DrumKits", "Basic", "Basic.zmp")
    with open(kit, "rb") as f:
        image = bytearray(f.read())
    # The tempo event: id 66 ("B") with a 16-bit little-endian value.
    marker = b"B" + struct.pack("<H", KIT_TEMPO)
    at = image.find(marker)
    if at < 0:
        fail("no tempo event in the kit song")
    image[at + 1:at + 3] = struct.pack("<H", 100)
    song = os.path.join(tmp, "my song.zmp")
    with open(song, "wb") as f:
        f.write(image)
    # A relative song name, taken from the folder the program starts in.
    proc = run(program, ["my song.zmp", "/Rout"], batch_env(tmp), tmp)
    check_render(proc, os.path.join(tmp, "out.WAV"), PATTERN_LENGTH * frames_per_step(100), tmp)
    # Switches after the song apply to it: "/B150" sets the tempo.
    proc = run(program, [song, "/B150", "/R" + os.path.join(tmp, "fast")], batch_env(tmp), tmp)
    check_render(proc, os.path.join(tmp, "fast.WAV"), PATTERN_LENGTH * frames_per_step(150), tmp)


def expect_failure(proc, tmp, wav, what):
    if proc.returncode == 0:
        fail(what + ": exit code 0", proc)
    if os.path.exists(wav):
        fail(what + ": a WAV was written", proc)
    if not proc.stderr.strip():
        fail(what + ": nothing on standard error", proc)
    if os.path.exists(os.path.join(tmp, "settings.ini")):
        fail(what + ": the settings were written")


def missing_song(program, data, tmp):
    wav = os.path.join(tmp, "out.WAV")
    proc = run(program, [os.path.join(tmp, "nothing-here.zmp"), "/R" + wav], batch_env(tmp), tmp)
    expect_failure(proc, tmp, wav, "missing song")
    if "doesn't exist" not in proc.stderr:
        fail("missing song: the message does not say so", proc)


def damaged_song(program, data, tmp):
    song = os.path.join(tmp, "damaged.zmp")
    with open(song, "wb") as f:
        f.write(b"ZMhd\x06\x00\x00\x00\x00\x00\x08\x00\x10\x00ZMdt\xff\xff\x00\x00\xc2")
    wav = os.path.join(tmp, "out.WAV")
    proc = run(program, [song, "/R" + wav], batch_env(tmp), tmp)
    expect_failure(proc, tmp, wav, "damaged song")


def unwritable_wav(program, data, tmp):
    wav = os.path.join(tmp, "no-such-folder", "out.WAV")
    proc = run(program, ["/R" + wav], batch_env(tmp), tmp)
    expect_failure(proc, tmp, wav, "unwritable WAV")


def size_limit(program, data, tmp):
    wav = os.path.join(tmp, "beat.WAV")

    def limit():
        resource.setrlimit(resource.RLIMIT_FSIZE, (64 * 1024, 64 * 1024))

    proc = run(program, ["/R" + wav], batch_env(tmp), tmp, preexec=limit)
    if proc.returncode == -signal.SIGXFSZ:
        fail("the program was killed by SIGXFSZ", proc)
    expect_failure(proc, tmp, wav, "file-size limit")
    leftovers = [n for n in os.listdir(tmp) if ".tmp-" in n]
    if leftovers:
        fail("temporary files left behind: %s" % leftovers, proc)


def memory_limit(program, data, tmp):
    # At 80000 KB the kit renders; far below, the program can't even start
    # its engine and says so.
    for kb in (80000, 16000):
        wav = os.path.join(tmp, "beat%d.WAV" % kb)

        def limit():
            resource.setrlimit(resource.RLIMIT_AS, (kb * 1024, kb * 1024))

        proc = run(program, ["/R" + wav], batch_env(tmp), tmp, preexec=limit)
        if proc.returncode < 0:
            fail("under %d KB the render was ended by signal %d" % (kb, -proc.returncode), proc)
        if proc.returncode == 0:
            check_render(proc, wav, PATTERN_LENGTH * frames_per_step(KIT_TEMPO), tmp)
        else:
            expect_failure(proc, tmp, wav, "memory limit of %d KB" % kb)


def front_data(program, data, tmp):
    import zipfile
    kit = os.path.join(data, "Samples", "DrumKits", "Basic")
    plain = os.path.join(tmp, "plain.zip")
    with zipfile.ZipFile(plain, "w", zipfile.ZIP_DEFLATED) as z:
        for name in sorted(os.listdir(kit)):
            z.write(os.path.join(kit, name), name)
    with open(plain, "rb") as f:
        image = f.read()
    front = os.path.join(tmp, "front.zip")
    with open(front, "wb") as f:
        f.write(bytes(range(250)) * 4 + image)
    # Without samples in the data folder the song finds them only in the
    # unpacked package.
    env = batch_env(tmp)
    env["VORBELSTEPS_DATA"] = os.path.join(tmp, "nodata")
    os.makedirs(env["VORBELSTEPS_DATA"])
    wavs = []
    for package in (plain, front):
        wav = os.path.join(tmp, os.path.basename(package)[:-4] + ".WAV")
        proc = run(program, [package, "/R" + wav[:-4]], env, tmp)
        check_render(proc, wav, PATTERN_LENGTH * frames_per_step(KIT_TEMPO), tmp)
        with open(wav, "rb") as f:
            wavs.append(f.read())
    if wavs[0] != wavs[1]:
        fail("the package with data in front renders another WAV")


def missing_data(program, data, tmp):
    empty = os.path.join(tmp, "nodata")
    os.makedirs(empty)
    env = batch_env(tmp)
    env["VORBELSTEPS_DATA"] = empty
    wav = os.path.join(tmp, "empty.WAV")
    proc = run(program, ["/R" + wav], env, tmp)
    if proc.returncode != 0 or not os.path.isfile(wav):
        fail("no render without the data files", proc)
    channels, width, rate, frames, rms, peak = wav_stats(wav)
    if frames <= 0 or peak != 0:
        fail("the empty song rendered %d frames with peak %d" % (frames, peak))


def smoke(program, data, tmp):
    if shutil.which("xvfb-run") is None:
        print("xvfb-run is missing: skipped")
        sys.exit(SKIP)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    env["VORBELSTEPS_SETTINGS"] = os.path.join(tmp, "settings.ini")
    env["TMPDIR"] = tmp
    own_runtime_folder(env, tmp)
    shot = os.path.join(tmp, "screen.xwd")
    # Inside the virtual display: start, wait for the window, ask it to
    # close as the desktop would, and report.
    script = r'''
"$1" & pid=$!
shown=0
if command -v xwininfo >/dev/null 2>&1; then
  for i in $(seq 1 150); do
    # A mapped top-level window of the program's class, larger than 1 x 1.
    if xwininfo -root -tree | grep '("VorbelSteps" "VorbelSteps")' | grep -vq ' 1x1+'; then shown=1; break; fi
    sleep 0.1
  done
else
  sleep 3; shown=1
fi
sleep 0.5
if command -v xwd >/dev/null 2>&1; then xwd -root -silent > "$2" 2>/dev/null || true; fi
kill -TERM $pid
wait $pid
code=$?
echo "shown=$shown code=$code"
# Asked to close while it starts (its title picture shows): it closes as
# soon as it runs.
rm -f "$VORBELSTEPS_SETTINGS"
"$1" & pid=$!
for i in $(seq 1 150); do
  if xwininfo -root -tree | grep '("VorbelSteps" "VorbelSteps")' | grep -vq ' 1x1+'; then break; fi
  sleep 0.05
done
kill -TERM $pid
wait $pid
echo "early=$?"
'''
    proc = subprocess.run(["xvfb-run", "-a", "sh", "-c", script, "smoke", program, shot],
                          env=env, cwd=tmp, capture_output=True, text=True, timeout=120)
    if "shown=1" not in proc.stdout:
        fail("the main window was not shown", proc)
    if "code=0" not in proc.stdout:
        fail("the program did not close cleanly", proc)
    if "early=0" not in proc.stdout:
        fail("the program asked to close while it started did not close cleanly", proc)
    settings = os.path.join(tmp, "settings.ini")
    if not os.path.isfile(settings):
        fail("no settings file was written", proc)
    with open(settings, encoding="utf-8", errors="replace") as f:
        text = f.read()
    for needle in ("[ZM SETTINGS]", "WindowX=", "DrumKit=", "Buffer Length="):
        if needle not in text:
            fail("the settings file lacks " + needle)


# The default style's measures (tools/datagen/StyleLayout.h): where the
# rack's first row starts in the window and where its step cells begin.
RACK_TOP = 20 + 18 + 104 + 4
ROW_HEIGHT = 27
STEPS_LEFT = 8 + 4 + 216
TOM_ROW = 5


def x11_session():
    """The display of xvfb-run through libX11 and the XTest extension."""
    display = XDisplay()
    return display.x11, display.xtst, display.dpy


def main_window_geometry():
    """The program's main window with a song's name: (id, x, y, w, h)."""
    return next(((wid, x, y, w, h) for wid, name, x, y, w, h in program_window_list()
                 if name.endswith(" - VorbelSteps")), None)


def x_session_env(tmp, settings):
    """The program on the X display of the test, with its settings (no
    sound, no browser list, and the lines given) and folders in tmp."""
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    env["VORBELSTEPS_SETTINGS"] = os.path.join(tmp, "settings.ini")
    env["TMPDIR"] = tmp
    own_runtime_folder(env, tmp)
    with open(env["VORBELSTEPS_SETTINGS"], "w") as f:
        f.write("[ZM SETTINGS]\nUse WAV=0\nSmpList=0\n" + settings)
    return env


def click_save_inside(program, song, tmp):
    """Runs inside xvfb-run: starts the program on the song, clicks a step,
    presses Ctrl+S and waits for the file to change."""
    env = x_session_env(tmp, "")
    with open(song, "rb") as f:
        before = f.read()
    proc = subprocess.Popen([program, song], env=env, cwd=tmp, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True)
    try:
        # A busy machine may take long to start the program.
        window = poll(main_window_geometry, "the main window with the song's name", 120)
        time.sleep(0.5)
        wid, wx, wy, _, _ = window
        x11, xtst, dpy = x11_session()
        x = wx + STEPS_LEFT + 2 * 16 + 8
        y = wy + RACK_TOP + TOM_ROW * ROW_HEIGHT + 13
        xtst.XTestFakeMotionEvent(dpy, -1, x, y, 0)
        xtst.XTestFakeButtonEvent(dpy, 1, 1, 0)
        xtst.XTestFakeButtonEvent(dpy, 1, 0, 0)
        x11.XSync(dpy, 0)
        time.sleep(0.3)
        x11.XSetInputFocus(dpy, wid, 2, 0)
        ctrl = x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(b"Control_L"))
        s_key = x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(b"s"))
        xtst.XTestFakeKeyEvent(dpy, ctrl, 1, 0)
        xtst.XTestFakeKeyEvent(dpy, s_key, 1, 0)
        xtst.XTestFakeKeyEvent(dpy, s_key, 0, 0)
        xtst.XTestFakeKeyEvent(dpy, ctrl, 0, 0)
        x11.XSync(dpy, 0)
        after = before
        for _ in range(600):
            time.sleep(0.1)
            with open(song, "rb") as f:
                after = f.read()
            if after != before:
                break
        if after == before:
            fail("Ctrl+S did not save the clicked step")
        # Saved: the close asks nothing and the program ends cleanly.
        time.sleep(0.3)
        proc.send_signal(signal.SIGTERM)
        code = proc.wait(timeout=30)
        if code != 0:
            fail("the program did not close cleanly after the save (code %d)" % code)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    print("saved")


def click_save(program, data, tmp):
    if shutil.which("xvfb-run") is None or shutil.which("xwininfo") is None:
        print("xvfb-run or xwininfo is missing: skipped")
        sys.exit(SKIP)
    kit = os.path.join(tmp, "Basic")
    shutil.copytree(os.path.join(data, "Samples", "DrumKits", "Basic"), kit)
    song = os.path.join(kit, "Basic.zmp")
    original = os.path.join(tmp, "original.zmp")
    shutil.copyfile(song, original)
    proc = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", sys.executable, os.path.abspath(__file__),
                           "click-save-inside", program, song, tmp], capture_output=True, text=True, timeout=180)
    if proc.returncode != 0 or "saved" not in proc.stdout:
        fail("the click and Ctrl+S under Xvfb", proc)
    # The saved song plays the new tom: its render differs from the kit's.
    renders = []
    for name, path in (("kit", original), ("saved", song)):
        wav = os.path.join(tmp, name + ".WAV")
        result = run(program, [path, "/R" + wav], batch_env(tmp), tmp)
        if result.returncode != 0:
            fail("the saved song does not render", result)
        with wave.open(wav, "rb") as w:
            renders.append(w.readframes(w.getnframes()))
    if renders[0] == renders[1]:
        fail("the saved song sounds like the kit: the clicked step is not in it")


CLOSE_BOX = (491 + 6, 4 + 6)  # the caption's close button (StyleLayout.h)
NAME_BUTTON = (8 + 4 + 63 + 40, RACK_TOP + 13)  # the first row's name button
REAL_PLUGIN = "/usr/lib/vst/lsp-plugins/comp-delay-stereo.so"


# A line of "xwininfo -root -tree" for a window of the program: its id, its
# name (none for a window whose name is not set yet: then the first quoted
# text is its class), its size and its place on the screen.
_TREE_LINE = re.compile(r'^\s*(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \("VorbelSteps" "VorbelSteps"\)\s+'
                        r'(\d+)x(\d+)\+\S+\s+\+(-?\d+)\+(-?\d+)')


def program_window_list():
    """The program's top-level windows larger than 1 x 1 as xwininfo lists
    them (the top-most first): (id, name, x, y, width, height)."""
    out = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    windows = []
    for line in out.splitlines():
        found = _TREE_LINE.match(line)
        if found:
            wid, name, w, h, x, y = found.groups()
            if int(w) > 1 and int(h) > 1:
                windows.append((int(wid, 16), name or "", int(x), int(y), int(w), int(h)))
    return windows


def program_windows():
    return [w[1] for w in program_window_list()]


def program_main_window():
    for wid, name, x, y, w, h in program_window_list():
        if name == "VorbelSteps" or name.endswith(" - VorbelSteps"):
            return wid, x, y, w, h
    return None


def length(n):
    """The length in front of a song event's text or data: seven bits a
    byte, low first, the top bit set while more follow."""
    out = bytearray()
    while True:
        b = n & 0x7F
        n >>= 7
        out.append(b | (0x80 if n else 0))
        if not n:
            return out


def song_with_plugin(kit, path, name, place=(40, 40)):
    """The kit's song with a plug-in on the master track whose editor opens
    with the song at a place (events 201 and 212 appended)."""
    with open(kit, "rb") as f:
        image = bytearray(f.read())

    text = name.encode("latin-1") + b"\0"
    image += bytes([201]) + length(len(text)) + text
    slot = struct.pack("<5i", 0, 0, place[0], place[1], 1)
    image += bytes([212]) + length(len(slot)) + slot
    image[18:22] = struct.pack("<I", len(image) - 22)
    with open(path, "wb") as f:
        f.write(image)


def wait_for_exit(proc, seconds):
    try:
        return proc.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        return None


def exit_windows_inside(program, data, tmp):
    """Runs inside xvfb-run."""
    x11, xtst, dpy = x11_session()

    def click(x, y):
        xtst.XTestFakeMotionEvent(dpy, -1, x, y, 0)
        xtst.XTestFakeButtonEvent(dpy, 1, 1, 0)
        xtst.XTestFakeButtonEvent(dpy, 1, 0, 0)
        x11.XSync(dpy, 0)
        time.sleep(0.4)

    def key(wid, *names):
        x11.XSetInputFocus(dpy, wid, 2, 0)
        codes = [x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(n.encode())) for n in names]
        for c in codes:
            xtst.XTestFakeKeyEvent(dpy, c, 1, 0)
        for c in reversed(codes):
            xtst.XTestFakeKeyEvent(dpy, c, 0, 0)
        x11.XSync(dpy, 0)
        time.sleep(0.4)

    def start(args, settings):
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        env["VORBELSTEPS_SETTINGS"] = settings
        env["TMPDIR"] = tmp
        own_runtime_folder(env, tmp)
        proc = subprocess.Popen([program, "/NoSplash"] + args, env=env, cwd=tmp, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)
        window = None
        for _ in range(1200):
            window = program_main_window()
            if window and "Sample browser" in program_windows():
                break
            time.sleep(0.1)
        if not window:
            proc.kill()
            fail("the main window never showed")
        time.sleep(1.0)
        return proc, program_main_window()

    def browser_below_main(what):
        names = program_windows()
        main = [i for i, n in enumerate(names) if n == "VorbelSteps" or n.endswith(" - VorbelSteps")]
        if not main or main[0] + 1 >= len(names) or names[main[0] + 1] != "Sample browser":
            fail(what + ": the sample browser is not directly below the main window: %s" % names)

    def settings_written(settings, what):
        if not os.path.isfile(settings):
            fail(what + ": no settings file was written")
        with open(settings, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for needle in ("[ZM SETTINGS]", "WindowX=", "SmpList=1"):
            if needle not in text:
                fail(what + ": the settings file lacks " + needle + ":\n" + text)

    # Fresh settings: the browser opens at the first activation; the
    # playlist (Ctrl+L), the channel settings (a click on the first name
    # button) and the settings window (F7) open too. The close box ends it.
    settings = os.path.join(tmp, "fresh.ini")
    proc, (wid, wx, wy, _, _) = start([], settings)
    try:
        browser_below_main("at the start")
        before = program_windows()
        key(wid, "Control_L", "l")
        click(wx + NAME_BUTTON[0], wy + NAME_BUTTON[1])
        key(wid, "F7")
        time.sleep(0.5)
        shown = program_windows()
        # A click on the main window activates it: the browser comes right
        # below it again.
        click(wx + 300, wy + 10)
        browser_below_main("after an activation")
        if len(shown) < 5:
            fail("the windows did not open: before %s, after %s" % (before, shown))
        click(wx + CLOSE_BOX[0], wy + CLOSE_BOX[1])
        code = wait_for_exit(proc, 20)
        if code is None:
            fail("the close box left the process running with %s" % program_windows())
        if code != 0:
            fail("the close box: exit code %d" % code, proc)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    settings_written(settings, "the close box")

    # A song with a plug-in whose editor opens with it; SIGTERM ends the
    # process with the editor, the browser and the playlist on screen.
    settings = os.path.join(tmp, "plugin.ini")
    vst = os.path.join(tmp, "vst")
    os.makedirs(vst)
    # The test plug-in of the build where Debian's is not installed.
    name, plugin = "comp-delay-stereo", REAL_PLUGIN
    if not os.path.isfile(plugin):
        name, plugin = "TestGain", os.path.join(os.path.dirname(program), "tests", "plugins", "TestGain.so")
    if os.path.isfile(plugin):
        os.symlink(plugin, os.path.join(vst, name + ".so"))
    with open(settings, "w") as f:
        f.write("[ZM SETTINGS]\nVST Plugins=%s/\n" % vst)
    song = os.path.join(tmp, "with plugin.zmp")
    song_with_plugin(os.path.join(data, "Samples", "DrumKits", "Basic", "Basic.zmp"), song, name)
    proc, (wid, wx, wy, _, _) = start([song], settings)
    try:
        key(wid, "Control_L", "l")
        time.sleep(1.0)
        shown = program_windows()
        proc.send_signal(signal.SIGTERM)
        code = wait_for_exit(proc, 20)
        if code is None:
            fail("SIGTERM left the process running with %s" % program_windows())
        if code != 0:
            fail("SIGTERM with %s: exit code %d" % (shown, code), proc)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    settings_written(settings, "SIGTERM")
    print("ended")


def exit_windows(program, data, tmp):
    if shutil.which("xvfb-run") is None or shutil.which("xwininfo") is None:
        print("xvfb-run or xwininfo is missing: skipped")
        sys.exit(SKIP)
    proc = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", sys.executable,
                           os.path.abspath(__file__), "exit-windows-inside", program, data, tmp],
                          capture_output=True, text=True, timeout=170)
    if proc.returncode != 0 or "ended" not in proc.stdout:
        fail("closing the main window with other windows open", proc)


# ---------------------------------------------------------------- plug-in
# editors under a window manager (openbox): the editor's place that a song
# keeps, and its window after the close box.

CAPTION_AND_MENU = 20 + 18  # the main window's caption and menu bar (StyleLayout.h)
SLOT_NAME = (150, 76)  # the master track's first slot on the Plugins page, in the settings window


def song_events(path):
    """The events of a song file: (id, payload bytes) in file order."""
    with open(path, "rb") as f:
        image = f.read()
    events, at = [], 22
    while at < len(image):
        event, at = image[at], at + 1
        if event < 64:
            size = 1
        elif event < 128:
            size = 2
        elif event < 192:
            size = 4
        else:
            size, shift = 0, 0
            while True:
                b, at = image[at], at + 1
                size |= (b & 0x7F) << shift
                shift += 7
                if not b & 0x80:
                    break
        events.append((event, image[at:at + size]))
        at += size
    return events


def editor_place(path):
    """Event 212 of a song: (left, top, open) of the first plug-in's editor."""
    for event, payload in song_events(path):
        if event == 212:
            return struct.unpack("<5i", payload[:20])[2:]
    fail("the saved song keeps no plug-in slot (event 212)")


def start_openbox():
    """A window manager on the display; the caller ends it."""
    wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(1200):
        out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True).stdout
        if "window id" in out:
            return wm
        time.sleep(0.05)
    wm.kill()
    fail("openbox did not start")


def poll(condition, what, seconds=30):
    """Waits for a condition to hold; its last value."""
    deadline = time.time() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.time() > deadline:
            fail("waited in vain for " + what)
        time.sleep(0.1)


def poll_briefly(condition, seconds=1.0):
    deadline = time.time() + seconds
    while not condition():
        if time.time() > deadline:
            return False
        time.sleep(0.05)
    return True


def window_info(wid):
    info = subprocess.run(["xwininfo", "-id", hex(wid)], capture_output=True, text=True).stdout
    values = {}
    for line in info.splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    return values


def window_frame(wid):
    """A managed window's frame on the screen: (x, y, width, height)."""
    values = window_info(wid)
    extents = subprocess.run(["xprop", "-id", hex(wid), "_NET_FRAME_EXTENTS"], capture_output=True,
                             text=True).stdout.partition("=")[2]
    left, right, top, bottom = (int(v) for v in extents.split(",")) if extents.strip() else (0, 0, 0, 0)
    x, y = int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"])
    return (x - left, y - top, int(values["Width"]) + left + right, int(values["Height"]) + top + bottom)


def window_children(wid):
    out = subprocess.run(["xwininfo", "-children", "-id", hex(wid)], capture_output=True, text=True).stdout
    return [line.split()[0] for line in out.splitlines() if line.strip().startswith("0x")]


def editor_window(name):
    """The plug-in's editor window while it shows."""
    for wid, title, *_ in program_window_list():
        if title.startswith(name + "  (") and window_info(wid).get("Map State") == "IsViewable":
            return wid
    return None


def send_close_box(x11, dpy, wid):
    """What a window manager's close box does: WM_DELETE_WINDOW to the window."""
    import ctypes

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    event = Event()
    event.xclient.type = 33
    event.xclient.window = wid
    event.xclient.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(dpy, wid, 0, 0, ctypes.byref(event))
    x11.XSync(dpy, 0)


def plugin_session(program, tmp, name, plugin):
    """Settings whose plug-in folder holds the plug-in; the program's
    environment."""
    vst = os.path.join(tmp, "vst")
    os.makedirs(vst, exist_ok=True)
    if not os.path.exists(os.path.join(vst, name + ".so")):
        os.symlink(plugin, os.path.join(vst, name + ".so"))
    return x_session_env(tmp, "VST Plugins=%s/\n" % vst)


def open_with_editor(program, env, tmp, song, name):
    """The program on a song whose plug-in editor opens with it: the process,
    the main window and the editor's window once the plug-in drew into it."""
    proc = subprocess.Popen([program, "/NoSplash", song], env=env, cwd=tmp, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    main = poll(program_main_window, "the main window")
    editor = poll(lambda: editor_window(name), "the editor of " + name)
    poll(lambda: window_children(editor), "the plug-in's own window in its editor")
    poll(lambda: "_NET_FRAME_EXTENTS" in subprocess.run(["xprop", "-id", hex(editor)], capture_output=True,
                                                         text=True).stdout, "the editor's frame")
    return proc, main, editor


def end_program(proc):
    proc.send_signal(signal.SIGTERM)
    code = wait_for_exit(proc, 20)
    if code is None:
        proc.kill()
        proc.wait()
        fail("SIGTERM left the program running")


def save_with_keys(display, main_wid, song):
    """Ctrl+S on the main window; waits for the song to be written anew."""
    x11, xtst, dpy = display.x11, display.xtst, display.dpy
    before = os.stat(song).st_ino
    codes = [x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(k)) for k in (b"Control_L", b"s")]
    focus, revert = ctypes.c_ulong(), ctypes.c_int()
    # The plug-in's editor, mapped meanwhile, may hold the keyboard (and a
    # busy machine may map the settings window late): the main window is
    # activated through the manager, as a click on its caption does, and
    # the keys go again while the song stays unwritten.
    deadline = time.monotonic() + 120
    focused = []
    while time.monotonic() < deadline:
        display.message(main_wid, "_NET_ACTIVE_WINDOW", 2, 0, 0)
        poll_briefly(lambda: (display.prop(display.root, "_NET_ACTIVE_WINDOW") or [0])[0] == main_wid, 3)
        x11.XSetInputFocus(dpy, main_wid, 2, 0)
        x11.XSync(dpy, 0)
        x11.XGetInputFocus(dpy, ctypes.byref(focus), ctypes.byref(revert))
        focused.append(hex(focus.value))
        if focus.value != main_wid:
            time.sleep(0.2)
            continue
        for c in codes:
            xtst.XTestFakeKeyEvent(dpy, c, 1, 0)
        for c in reversed(codes):
            xtst.XTestFakeKeyEvent(dpy, c, 0, 0)
        x11.XSync(dpy, 0)
        if poll_briefly(lambda: os.stat(song).st_ino != before, 8):
            return
    fail("waited in vain for the song written by Ctrl+S; the focus at each try %s, the program's windows: %s" %
         (focused, program_window_list()))


def editors_inside(program, data, tmp, case):
    """Runs inside xvfb-run, with openbox."""
    wm = start_openbox()
    try:
        display = XDisplay()
        x11, xtst, dpy = display.x11, display.xtst, display.dpy
        name, plugin = "comp-delay-stereo", REAL_PLUGIN
        env = plugin_session(program, tmp, name, plugin)
        kit = os.path.join(data, "Samples", "DrumKits", "Basic", "Basic.zmp")
        if case == "place":
            # A place clear of the main window comes back as it was; one over
            # its caption is moved off it and then stays. Two rounds each.
            for wanted in ((420, 700), (40, 40)):
                song = os.path.join(tmp, "editor at %d %d.zmp" % wanted)
                song_with_plugin(kit, song, name, wanted)
                places = []
                for _ in range(2):
                    proc, main, editor = open_with_editor(program, env, tmp, song, name)
                    try:
                        frame = window_frame(editor)
                        _, mx, my, mw, _ = main
                        if frame[0] < mx + mw and mx < frame[0] + frame[2] and frame[1] < my + CAPTION_AND_MENU:
                            fail("the editor's frame %s covers the main window's caption or menu bar" % (frame,))
                        save_with_keys(display, main[0], song)
                        places.append(editor_place(song))
                        info = window_info(editor)
                        client = (int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]))
                        if places[-1][:2] != client:
                            fail("event 212 keeps %s, the editor is at %s" % (places[-1], client))
                    finally:
                        end_program(proc)
                if places[1] != places[0] or places[0][2] != 1:
                    fail("the editor's place moves from round to round: %s" % places)
                if wanted == (420, 700) and places[0][:2] != wanted:
                    fail("the editor's place %s became %s" % (wanted, places[0]))
        else:
            # The close box, then Editor from the slot's menu on the Plugins
            # page: the plug-in's own window is there again.
            song = os.path.join(tmp, "editor.zmp")
            song_with_plugin(kit, song, name, (700, 600))
            proc, (main_wid, *_), editor = open_with_editor(program, env, tmp, song, name)
            try:
                send_close_box(x11, dpy, editor)
                poll(lambda: editor_window(name) is None, "the editor closed by its close box")
                x11.XSetInputFocus(dpy, main_wid, 2, 0)
                key = x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(b"F8"))
                xtst.XTestFakeKeyEvent(dpy, key, 1, 0)
                xtst.XTestFakeKeyEvent(dpy, key, 0, 0)
                x11.XSync(dpy, 0)
                settings = poll(lambda: [w for w in program_window_list() if w[1] == "Settings"], "the settings")[0]
                # A right click on the slot pops its menu up once the page shows.
                x, y = settings[2] + SLOT_NAME[0], settings[3] + SLOT_NAME[1]
                shown = len(program_window_list())

                def menu_up():
                    xtst.XTestFakeMotionEvent(dpy, -1, x, y, 0)
                    xtst.XTestFakeButtonEvent(dpy, 3, 1, 0)
                    xtst.XTestFakeButtonEvent(dpy, 3, 0, 0)
                    x11.XSync(dpy, 0)
                    return poll_briefly(lambda: len(program_window_list()) > shown)

                poll(menu_up, "the slot's menu")
                key = x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(b"e"))
                xtst.XTestFakeKeyEvent(dpy, key, 1, 0)
                xtst.XTestFakeKeyEvent(dpy, key, 0, 0)
                x11.XSync(dpy, 0)
                editor = poll(lambda: editor_window(name), "the editor opened again from the slot's menu")
                poll(lambda: window_children(editor), "the plug-in's own window in the editor opened again", 10)
            finally:
                end_program(proc)
    finally:
        wm.terminate()
        wm.wait()
    print("ended")


def editors(program, data, tmp, case):
    for tool in ("xvfb-run", "xwininfo", "xprop", "openbox"):
        if shutil.which(tool) is None:
            print(tool + " is missing: skipped")
            sys.exit(SKIP)
    if not os.path.isfile(REAL_PLUGIN):
        print(REAL_PLUGIN + " is missing: skipped")
        sys.exit(SKIP)
    proc = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", sys.executable,
                           os.path.abspath(__file__), "editors-inside", program, data, tmp, case],
                          capture_output=True, text=True, timeout=540)
    if proc.returncode != 0 or "ended" not in proc.stdout:
        fail("plug-in editors under openbox (%s)" % case, proc)
# ---------------------------------------------------------------------------
# Under a window manager: the program runs on an Xvfb display with openbox,
# both started here on a free display number, and the test reads from X what
# the manager made of each window: its frame (the manager's frame window and
# _NET_FRAME_EXTENTS), its state (WM_STATE, _NET_WM_STATE) and the stacking
# order (_NET_CLIENT_LIST_STACKING, bottom first). A frame must lie inside
# the available area (_NET_WORKAREA, made smaller than the screen by a panel
# of the test's own), a window above the main window keeps off its caption
# and menu bar wherever the available area has room for it elsewhere, the
# main window covers no caption of the windows below it, the sample browser
# lies directly below the main window, and every window shown is mapped.

_long, _ulong, _int, _uint, _ptr = ctypes.c_long, ctypes.c_ulong, ctypes.c_int, ctypes.c_uint, ctypes.c_void_p


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", _int), ("y", _int), ("width", _int), ("height", _int), ("border_width", _int),
                ("depth", _int), ("visual", _ptr), ("root", _ulong), ("c_class", _int), ("bit_gravity", _int),
                ("win_gravity", _int), ("backing_store", _int), ("backing_planes", _ulong),
                ("backing_pixel", _ulong), ("save_under", _int), ("colormap", _ulong), ("map_installed", _int),
                ("map_state", _int), ("all_event_masks", _long), ("your_event_mask", _long),
                ("do_not_propagate_mask", _long), ("override_redirect", _int), ("screen", _ptr)]


class XClientMessage(ctypes.Structure):
    _fields_ = [("type", _int), ("serial", _ulong), ("send_event", _int), ("display", _ptr), ("window", _ulong),
                ("message_type", _ulong), ("format", _int), ("data", _long * 5)]


class XImage(ctypes.Structure):
    _fields_ = [("width", _int), ("height", _int), ("xoffset", _int), ("format", _int), ("data", _ptr),
                ("byte_order", _int), ("bitmap_unit", _int), ("bitmap_bit_order", _int), ("bitmap_pad", _int),
                ("depth", _int), ("bytes_per_line", _int), ("bits_per_pixel", _int)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessage), ("pad", _long * 24)]


# Windows that vanish between two requests are no error of the test's.
_IGNORE_X_ERRORS = ctypes.CFUNCTYPE(_int, _ptr, _ptr)(lambda display, error: 0)


class XDisplay:
    """An X display through libX11 and the XTest extension (None: $DISPLAY)."""

    def __init__(self, name=None):
        x11 = self.x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
        xtst = self.xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
        x11.XOpenDisplay.restype = _ptr
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = _ulong
        x11.XDefaultRootWindow.argtypes = [_ptr]
        x11.XInternAtom.restype = _ulong
        x11.XInternAtom.argtypes = [_ptr, ctypes.c_char_p, _int]
        x11.XGetAtomName.restype = _ptr
        x11.XGetAtomName.argtypes = [_ptr, _ulong]
        x11.XGetWindowProperty.argtypes = [_ptr, _ulong, _ulong, _long, _long, _int, _ulong,
                                           ctypes.POINTER(_ulong), ctypes.POINTER(_int), ctypes.POINTER(_ulong),
                                           ctypes.POINTER(_ulong), ctypes.POINTER(_ptr)]
        x11.XChangeProperty.argtypes = [_ptr, _ulong, _ulong, _ulong, _int, _int, _ptr, _int]
        x11.XQueryTree.argtypes = [_ptr, _ulong, ctypes.POINTER(_ulong), ctypes.POINTER(_ulong),
                                   ctypes.POINTER(ctypes.POINTER(_ulong)), ctypes.POINTER(_uint)]
        x11.XGetWindowAttributes.argtypes = [_ptr, _ulong, ctypes.POINTER(XWindowAttributes)]
        x11.XTranslateCoordinates.argtypes = [_ptr, _ulong, _ulong, _int, _int, ctypes.POINTER(_int),
                                              ctypes.POINTER(_int), ctypes.POINTER(_ulong)]
        x11.XCreateSimpleWindow.restype = _ulong
        x11.XCreateSimpleWindow.argtypes = [_ptr, _ulong, _int, _int, _uint, _uint, _uint, _ulong, _ulong]
        x11.XMapWindow.argtypes = [_ptr, _ulong]
        x11.XSendEvent.argtypes = [_ptr, _ulong, _int, _long, ctypes.POINTER(XEvent)]
        x11.XFree.argtypes = [_ptr]
        x11.XFlush.argtypes = [_ptr]
        x11.XSync.argtypes = [_ptr, _int]
        x11.XSetInputFocus.argtypes = [_ptr, _ulong, _int, _ulong]
        x11.XGetInputFocus.argtypes = [_ptr, _ptr, _ptr]
        x11.XStringToKeysym.restype = _ulong
        x11.XKeysymToKeycode.argtypes = [_ptr, _ulong]
        x11.XGetImage.restype = ctypes.POINTER(XImage)
        x11.XGetImage.argtypes = [_ptr, _ulong, _int, _int, _uint, _uint, _ulong, _int]
        x11.XSetErrorHandler(_IGNORE_X_ERRORS)
        xtst.XTestFakeMotionEvent.argtypes = [_ptr, _int, _int, _int, _ulong]
        xtst.XTestFakeButtonEvent.argtypes = [_ptr, _uint, _int, _ulong]
        xtst.XTestFakeKeyEvent.argtypes = [_ptr, _uint, _int, _ulong]
        self.dpy = x11.XOpenDisplay(name.encode() if name else None)
        if not self.dpy:
            fail("no X display %s" % (name or os.environ.get("DISPLAY")))
        self.root = x11.XDefaultRootWindow(self.dpy)
        self.atoms = {}

    def atom(self, name):
        if name not in self.atoms:
            self.atoms[name] = self.x11.XInternAtom(self.dpy, name.encode(), 0)
        return self.atoms[name]

    def atom_name(self, atom):
        text = self.x11.XGetAtomName(self.dpy, atom)
        if not text:
            return ""
        name = ctypes.string_at(text).decode()
        self.x11.XFree(text)
        return name

    def prop(self, window, name):
        """A property: a list of numbers (32-bit formats) or bytes; None when
        the window has none."""
        kind, form, count, after, data = _ulong(), _int(), _ulong(), _ulong(), _ptr()
        if self.x11.XGetWindowProperty(self.dpy, window, self.atom(name), 0, 1 << 16, 0, 0, ctypes.byref(kind),
                                       ctypes.byref(form), ctypes.byref(count), ctypes.byref(after),
                                       ctypes.byref(data)) != 0 or not data.value:
            return None
        try:
            if form.value == 32:
                return list(ctypes.cast(data, ctypes.POINTER(_long))[:count.value])
            return ctypes.string_at(data, count.value * form.value // 8)
        finally:
            self.x11.XFree(data)

    def text(self, window, *names):
        for name in names:
            value = self.prop(window, name)
            if value:
                return value.decode("utf-8", "replace")
        return ""

    def tree(self, window):
        """(parent, children) of a window; (None, []) when it is gone."""
        root, parent, children, count = _ulong(), _ulong(), ctypes.POINTER(_ulong)(), _uint()
        if not self.x11.XQueryTree(self.dpy, window, ctypes.byref(root), ctypes.byref(parent),
                                   ctypes.byref(children), ctypes.byref(count)):
            return None, []
        kids = list(children[:count.value]) if children else []
        if children:
            self.x11.XFree(children)
        return parent.value, kids

    def attributes(self, window):
        attributes = XWindowAttributes()
        if not self.x11.XGetWindowAttributes(self.dpy, window, ctypes.byref(attributes)):
            return None
        return attributes

    def geometry(self, window):
        """(x, y, width, height) on the screen, or None."""
        a = self.attributes(window)
        if a is None:
            return None
        x, y, child = _int(), _int(), _ulong()
        self.x11.XTranslateCoordinates(self.dpy, window, self.root, 0, 0, ctypes.byref(x), ctypes.byref(y),
                                       ctypes.byref(child))
        return x.value, y.value, a.width, a.height

    def frame(self, window):
        """The root's child that holds the window: the manager's frame."""
        while window:
            parent, _ = self.tree(window)
            if parent == self.root:
                return window
            window = parent
        return None

    def pixels(self, window):
        """The window's pixels as rows of 0xRRGGBB values (24-bit screens)."""
        _, _, w, h = self.geometry(window)
        image = self.x11.XGetImage(self.dpy, window, 0, 0, w, h, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return []
        i = image.contents
        data = ctypes.string_at(i.data, i.bytes_per_line * i.height)
        rows = [list(struct.unpack_from("<%dI" % w, data, y * i.bytes_per_line)) for y in range(h)]
        self.x11.XFree(ctypes.c_void_p(i.data))
        self.x11.XFree(image)
        return [[p & 0xFFFFFF for p in row] for row in rows]

    def message(self, window, kind, *data):
        """A client message about the window to the window manager."""
        event = XEvent()
        m = event.xclient
        m.type, m.send_event, m.window, m.message_type, m.format = 33, 1, window, self.atom(kind), 32
        for i, value in enumerate(data):
            m.data[i] = value
        # SubstructureRedirect | SubstructureNotify
        self.x11.XSendEvent(self.dpy, self.root, 0, (1 << 20) | (1 << 19), ctypes.byref(event))
        self.sync()

    def sync(self):
        self.x11.XSync(self.dpy, 0)

    def close(self):
        if self.dpy:
            self.x11.XCloseDisplay(ctypes.c_void_p(self.dpy))
            self.dpy = None

    def click(self, x, y, button=1, count=1):
        self.xtst.XTestFakeMotionEvent(self.dpy, -1, x, y, 0)
        for _ in range(count):
            self.xtst.XTestFakeButtonEvent(self.dpy, button, 1, 0)
            self.xtst.XTestFakeButtonEvent(self.dpy, button, 0, 0)
        self.sync()

    def keys(self, *names, down=True, up=True):
        """Presses the keys in order and releases them in reverse."""
        codes = [self.x11.XKeysymToKeycode(self.dpy, self.x11.XStringToKeysym(n.encode())) for n in names]
        for code in codes if down else []:
            self.xtst.XTestFakeKeyEvent(self.dpy, code, 1, 0)
        for code in reversed(codes) if up else []:
            self.xtst.XTestFakeKeyEvent(self.dpy, code, 0, 0)
        self.sync()

    def panel(self, top, bottom, width):
        """A desktop panel that reserves rows at the top and the bottom."""
        for edge, height in (("top", top), ("bottom", bottom)):
            if not height:
                continue
            y = 0 if edge == "top" else self.attributes(self.root).height - height
            w = self.x11.XCreateSimpleWindow(self.dpy, self.root, 0, y, width, height, 0, 0, 0x303030)
            kind = (_long * 1)(self.atom("_NET_WM_WINDOW_TYPE_DOCK"))
            self.x11.XChangeProperty(self.dpy, w, self.atom("_NET_WM_WINDOW_TYPE"), 4, 32, 0, kind, 1)
            strut = (_long * 12)(*([0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0] if edge == "top" else
                                   [0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, width - 1]))
            self.x11.XChangeProperty(self.dpy, w, self.atom("_NET_WM_STRUT_PARTIAL"), 6, 32, 0, strut, 12)
            self.x11.XChangeProperty(self.dpy, w, self.atom("_NET_WM_STRUT"), 6, 32, 0, strut, 4)
            self.x11.XMapWindow(self.dpy, w)
        self.sync()


class Shown:
    """A top-level window of the program as the window manager has it."""

    def __init__(self, display, window):
        self.id = window
        self.title = display.text(window, "_NET_WM_NAME", "WM_NAME")
        state = display.prop(window, "WM_STATE")
        self.state = state[0] if state else None  # 1 normal, 3 iconic
        self.net = {display.atom_name(a).replace("_NET_WM_STATE_", "")
                    for a in display.prop(window, "_NET_WM_STATE") or []}
        self.types = {display.atom_name(a).replace("_NET_WM_WINDOW_TYPE_", "")
                      for a in display.prop(window, "_NET_WM_WINDOW_TYPE") or []}
        self.extents = tuple(display.prop(window, "_NET_FRAME_EXTENTS") or (0, 0, 0, 0))
        self.client = display.geometry(window)
        frame = display.frame(window)
        self.frame_id = frame
        self.frame = display.geometry(frame) if frame else None
        attributes = display.attributes(frame) if frame else None
        self.mapped = bool(attributes and attributes.map_state == 2)  # IsViewable

    def normal(self):
        return self.state == 1 and "HIDDEN" not in self.net

    def key(self):
        return (self.id, self.title, self.state, tuple(sorted(self.net)), self.frame, self.mapped)

    def __repr__(self):
        return "%r st=%s%s frame=%s client=%s%s" % (self.title, self.state, "" if self.mapped else " UNMAPPED",
                                                  self.frame, self.client, " " + ",".join(sorted(self.net))
                                                  if self.net else "")


def overlaps(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def inside(a, area):
    return a[0] >= area[0] and a[1] >= area[1] and a[0] + a[2] <= area[0] + area[2] and \
        a[1] + a[3] <= area[1] + area[3]


def room_beside(size, keep, work):
    """Whether a frame of that size fits the work area clear of keep."""
    w, h = size
    if w > work[2] or h > work[3]:
        return False
    return keep[1] - work[1] >= h or work[1] + work[3] - (keep[1] + keep[3]) >= h or \
        keep[0] - work[0] >= w or work[0] + work[2] - (keep[0] + keep[2]) >= w


LANGUAGES = {"en": 0, "fr": 1, "nl": 2}
CAPTION_HEIGHT, MENU_HEIGHT = 20, 18  # the default style's (StyleLayout.h)


class WindowManagerRun:
    """Xvfb, openbox and the program, started and ended here."""

    def __init__(self, program, data, tmp, size="1280x1024", language="en", settings="", args=("/NoSplash",),
                 panel=(0, 32)):
        self.program, self.data, self.tmp, self.language = program, data, tmp, LANGUAGES[language]
        width, height = (int(v) for v in size.split("x"))
        self.procs, self.proc = [], None
        read, write = os.pipe()
        # -displayfd: the server takes a free display number and tells it.
        self.procs.append(subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", size + "x24",
                                            "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL))
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                fail("Xvfb did not start")
            number += chunk
        os.close(read)
        self.name = ":" + number.decode().strip()
        self.env = own_runtime_folder(dict(os.environ, DISPLAY=self.name, HOME=tmp, TMPDIR=tmp,
                                           XDG_CONFIG_HOME=os.path.join(tmp, "config"),
                                           VORBELSTEPS_SETTINGS=os.path.join(tmp, "settings.ini"),
                                           PULSE_SERVER="unix:" + os.path.join(tmp, "no-pulse")), tmp)
        for variable in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "SESSION_MANAGER"):
            self.env.pop(variable, None)
        try:
            self.start(program, args, settings, width, height, panel)
        except BaseException:
            self.stop()
            raise

    def start(self, program, args, settings, width, height, panel):
        self.x = XDisplay(self.name)
        # The panel first: the manager takes its room as it starts.
        self.x.panel(panel[0], panel[1], width)
        self.procs.append(subprocess.Popen(["openbox", "--sm-disable"], env=self.env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL))
        self.wait("openbox takes the panel's room", lambda: self.work_area()[3] == height - sum(panel))
        with open(self.env["VORBELSTEPS_SETTINGS"], "w") as f:
            f.write("[ZM SETTINGS]\nLanguage=%d\n%s" % (self.language, settings))
        self.log = os.path.join(self.tmp, "program.log")
        with open(self.log, "w") as log:
            self.proc = subprocess.Popen([program] + list(args), env=self.env, cwd=self.tmp, stdout=log,
                                         stderr=subprocess.STDOUT)
        self.shown("VorbelSteps")

    @property
    def main(self):
        return self.find("VorbelSteps")

    def __enter__(self):
        return self

    def __exit__(self, *error):
        self.stop()

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            if wait_for_exit(self.proc, 30) is None:
                self.proc.kill()
                self.proc.wait()
        if getattr(self, "x", None):
            self.x.close()
        for proc in reversed(self.procs):
            proc.terminate()
            if wait_for_exit(proc, 10) is None:
                proc.kill()
                proc.wait()

    def title(self, form, key="%Form%"):
        """A window's caption in the run's language, from its text table."""
        with open(os.path.join(self.data, "lang", form + ".txt"), encoding="utf-8") as f:
            for line in f:
                cells = line.rstrip("\n").split("\t")
                if cells[0] == key:
                    return cells[1 + self.language] or cells[1]
        fail("no text %s in %s" % (key, form))

    def work_area(self):
        area = self.x.prop(self.x.root, "_NET_WORKAREA")
        return tuple(area[:4]) if area else (0, 0, 0, 0)

    def popups(self):
        """The program's mapped popup windows (menus), by id."""
        found = set()
        for window in self.x.tree(self.x.root)[1]:
            a = self.x.attributes(window)
            if a and a.override_redirect and a.map_state == 2 and \
                    (self.x.prop(window, "WM_CLASS") or b"").startswith(b"VorbelSteps\0"):
                found.add(window)
        return found

    def windows(self):
        """The program's managed windows, the bottom one first."""
        out = []
        for window in self.x.prop(self.x.root, "_NET_CLIENT_LIST_STACKING") or []:
            if (self.x.prop(window, "WM_CLASS") or b"").startswith(b"VorbelSteps\0"):
                out.append(Shown(self.x, window))
        return out

    def find(self, title, windows=None):
        for w in self.windows() if windows is None else windows:
            if title == "VorbelSteps" and "SPLASH" in w.types:
                continue
            if w.title == title or (title == "VorbelSteps" and w.title.endswith(" - VorbelSteps")):
                return w
        return None

    def report(self):
        output = ""
        if self.proc:
            with open(self.log, errors="replace") as f:
                output = f.read()[-2000:]
        return "\n  work area %s, windows from the top:\n  %s\n  program output:\n%s" % (
            self.work_area(), "\n  ".join(repr(w) for w in reversed(self.windows())) or "none", output)

    def wait(self, what, condition, seconds=60):
        """Polls until condition() gives a true value and returns it."""
        deadline = time.monotonic() + seconds
        while True:
            if self.proc and self.proc.poll() is not None:
                fail("the program ended (code %s) while waiting: %s%s" % (self.proc.returncode, what,
                                                                        self.report()))
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                fail("waited in vain: %s%s" % (what, self.report()))
            time.sleep(0.05)

    def settled(self, what, condition=lambda windows: True):
        """Waits until the windows hold still (the same in three looks in a
        row) and condition(windows) holds; returns them."""
        looks = []

        def still():
            looks.append(self.windows())
            last = looks[-3:]
            if len(last) == 3 and all([w.key() for w in l] == [w.key() for w in last[0]] for l in last) and \
                    condition(last[-1]):
                return last[-1]
            return None

        return self.wait(what, still)

    def shown(self, title):
        """Waits for a window of that title to show, mapped and still."""
        windows = self.settled(title + " shows", lambda ws: (w := self.find(title, ws)) and w.normal() and w.mapped)
        return self.find(title, windows)

    def gone(self, title):
        self.settled(title + " goes", lambda ws: not (w := self.find(title, ws)) or not w.normal())

    def caption_cut(self, window):
        """Whether the window manager cut the window's caption: the title's
        text fills its label (the widest part of the title bar) from edge to
        edge instead of leaving room at its ends."""
        bars = [c for c in self.x.tree(window.frame_id)[1] if len(self.x.tree(c)[1]) > 4]
        if not bars:
            return False
        label = max(self.x.tree(bars[0])[1], key=lambda c: self.x.geometry(c)[2])
        rows = self.x.pixels(label)
        ink = [x for x in range(len(rows[0]) if rows else 0)
               if any(abs((row[x] >> 8 & 0xFF) - (row[0] >> 8 & 0xFF)) > 60 for row in rows)]
        return bool(ink) and ink[0] <= 4 and ink[-1] >= len(rows[0]) - 5

    def caption_area(self, main, windows):
        """The main window's caption, with the menu bar while docked."""
        x, y, w, _ = main.client
        menu_floats = any(v.title == self.title("VorbelStepsMainForm", "MainMenuToolWindow") and v.normal()
                          for v in windows)
        return x, y, w, CAPTION_HEIGHT + (0 if menu_floats else MENU_HEIGHT)

    def problems(self, windows):
        work = self.work_area()
        found = []
        for w in windows:
            if not w.normal():
                continue
            if not w.mapped:
                found.append("%r is not mapped" % w.title)
            elif not inside(w.frame, work):
                found.append("%r leaves the available area %s: %s" % (w.title, work, w.frame))
        main = self.find("VorbelSteps", windows)
        if not main or not main.normal():
            return found
        at = windows.index(main)
        keep = self.caption_area(main, windows)
        # The browser lies flush against the main window (one pixel over it).
        browser = self.find(self.title("SampleListForm"), windows)
        for w in windows[at + 1:]:
            if w is not browser and w.normal() and overlaps(w.frame, keep) and room_beside(w.frame[2:], keep, work):
                found.append("%r covers the main window's caption or menu bar %s: %s" % (w.title, keep, w.frame))
        active = (self.x.prop(self.x.root, "_NET_ACTIVE_WINDOW") or [0])[0]
        if active == main.id and browser and browser.normal() and (at == 0 or windows[at - 1] is not browser):
            found.append("the sample browser is not directly below the active main window")
        for w in windows[:at]:
            caption = (w.frame[0], w.frame[1], w.frame[2], max(w.extents[2], 16))
            if w is not browser and "BELOW" not in w.net and w.normal() and overlaps(caption, main.frame):
                found.append("the main window covers the caption of %r: %s" % (w.title, w.frame))
        return found

    def check(self, what, condition=lambda windows: True):
        """Fails unless every window is in its place once they hold still."""
        windows = self.settled(what, condition)
        found = self.problems(windows)
        if found:
            fail("%s:\n  %s%s" % (what, "\n  ".join(found), self.report()))
        return windows

    # Input as the user gives it.
    def activate(self, window):
        """The main window (or another) made active as a task bar does."""
        self.x.message(window.id, "_NET_ACTIVE_WINDOW", 2, 0, 0)

    def press(self, *keys):
        self.x.keys(*keys)


def sound_cards():
    """Whether the machine has a sound card (then the program may open an
    output at its first start and keep its settings window shut)."""
    try:
        with open("/proc/asound/cards") as f:
            return "no soundcards" not in f.read()
    except OSError:
        return False


def wm_runs(program, data, tmp, name, **options):
    folder = os.path.join(tmp, name)
    os.makedirs(folder)
    return WindowManagerRun(program, data, folder, **options)


# Places in the main window (the default style, StyleLayout.h): the bare
# menu line right of the titles, the remote panel's bare plate, the info
# bar, the first row's name button, the minimise button; the first menu
# title (Left from its menu opens the last one, Help), the View and Tools
# titles in English.
MENU_LINE = (490, 29)
PANEL_PLATE = (230, 128)
INFO_BAR = (300, -8)
FIRST_NAME = (115, 159)
MIN_BOX = (484, 10)
FILE_TITLE, VIEW_TITLE, TOOLS_TITLE = 10, 197, 324


class Tour:
    """Opens the program's windows one by one as the user does."""

    def __init__(self, run):
        self.run = run

    def at(self, place):
        """A place in the main window (a negative y counts from its foot)."""
        x, y, _, h = self.run.main.client
        return x + place[0], y + (place[1] if place[1] >= 0 else h + place[1])

    def focus(self, window=None):
        run = self.run
        window = window or run.main
        run.activate(window)
        run.wait("%r is active" % window.title,
                 lambda: (run.x.prop(run.x.root, "_NET_ACTIVE_WINDOW") or [0])[0] == window.id)

    def opens(self, what, action, title=None):
        """Runs the action, waits for a window that was not there (or the
        one of that title), checks every place and returns the window."""
        run = self.run
        before = {w.id for w in run.windows() if w.normal()}
        action()

        def new(windows):
            return next((w for w in windows if w.normal() and w.mapped and
                         (w.title == title if title else w.id not in before)), None)

        return new(run.check(what, new))

    def keys_open(self, what, keys, title=None):
        self.focus()
        return self.opens(what, lambda: [self.run.press(*k) for k in keys], title)

    def closes(self, window, *keys):
        self.run.press(*(keys or ("Escape",)))
        self.run.settled("%r closes" % window.title, lambda ws: all(w.id != window.id or not w.normal() for w in ws))

    def menu(self, title_x, *keys):
        """Opens a menu of the menu bar by a click on its title and picks an
        item by keys."""
        run = self.run
        self.focus()
        before = run.popups()
        run.x.click(*self.at((title_x, 29)))
        opened = run.wait("the menu opens", lambda: run.popups() - before)
        for k in keys:
            run.press(k)
            if k in ("Left", "Right"):  # the next title's menu, its first item lit
                opened = run.wait("the next menu opens", lambda: run.popups() - opened)

    def tips(self, what):
        """Help > Tips: in its place, its caption whole."""
        tips = self.opens(what, lambda: self.menu(FILE_TITLE, "Left", "Down", "Return"))
        if self.run.caption_cut(tips):
            fail("%s: the window manager cuts the caption %r" % (what, tips.title))
        self.closes(tips)

    def beside(self, window, what, *others):
        """A window the program places beside the main window lies clear of
        it, of the browser and of the others (the screens here have room)."""
        for other in (self.run.main, self.run.find(self.run.title("SampleListForm"))) + others:
            if overlaps(window.frame, other.frame):
                fail("%r %s lies over %r: %s%s" % (window.title, what, other.title, window.frame, self.run.report()))

    def double_click(self, x, y):
        self.run.x.click(x, y, count=2)

    def close_settings(self):
        """The settings window that opens at the start without a sound
        output closes (by its page's key)."""
        if not sound_cards():
            settings = self.run.shown(self.run.title("MIDIForm"))
            self.focus()
            self.run.press("F6")
            self.run.gone(settings.title)


def wm_first_start(program, data, tmp):
    # Fresh settings (the language aside) and no sound output: the title
    # picture, the main window, the sample browser beside it and the
    # settings window on its WAV page; each activated in turn; the tips.
    for language in LANGUAGES:
        for size, panel in (("1280x1024", (24, 0)), ("1024x600", (0, 32))):
            what = "first start in %s on %s" % (language, size)
            with wm_runs(program, data, tmp, language + size, size=size, language=language, args=(),
                         panel=panel) as run:
                tour = Tour(run)
                shown = [run.shown(run.title("SampleListForm"))]
                if not sound_cards():
                    shown.insert(0, run.shown(run.title("MIDIForm")))
                run.check(what)
                for window in shown + [run.main]:
                    tour.focus(window)
                    run.check(what + ", %r activated" % window.title)
                tour.tips(what + ", the tips")


def wm_windows(program, data, tmp):
    # Every window and dialog the program opens, one after the other, on a
    # small screen, with "Auto Arrange" on.
    with wm_runs(program, data, tmp, "tour", size="1024x600", settings="Auto Arrange=1\n") as run:
        tour = Tour(run)
        run.shown(run.title("SampleListForm"))
        tour.close_settings()
        playlist = tour.keys_open("the playlist", [("Control_L", "l")], run.title("PlayListForm"))
        names = tour.opens("the pattern name", lambda: run.x.click(playlist.client[0] + 30, playlist.client[1] + 15,
                                                                     button=3))
        tour.closes(names)
        tour.opens("the channel settings", lambda: run.x.click(*tour.at(FIRST_NAME)))
        # More rows: the main window grows under the channel settings.
        height = run.main.client[3]
        for _ in range(3):
            tour.focus()
            run.press("Control_L", "d")
        run.check("the main window grown", lambda ws: run.main.client[3] > height)
        for what, keys in (("Loop info", [("F10",)]), ("the humanize dialog", [("Alt_L", "h")]),
                           ("the render's file dialog", [("Control_L", "r")]),
                           ("the open dialog's question", [("Control_L", "o")])):
            tour.closes(tour.keys_open(what, keys))
        for what, title, keys in (("the tools dialog", TOOLS_TITLE, ("c",)),
                                  ("the about box", FILE_TITLE, ("Left", "Down", "Down", "Return")),
                                  ("the help", FILE_TITLE, ("Left", "Return")),
                                  ("the products", FILE_TITLE, ("Left", "Up", "Up", "Return"))):
            tour.closes(tour.opens(what, lambda: tour.menu(title, *keys)))
        tour.tips("the tips")
        tour.focus()
        run.x.keys("k", up=False)
        tour.opens("the piano roll", lambda: None, run.title("PianoForm"))
        run.x.keys("k", down=False)
        run.gone(run.title("PianoForm"))
        lamps = tour.opens("the lamp window", lambda: tour.menu(VIEW_TITLE, "d"))
        tour.double_click(lamps.client[0] + 40, lamps.client[1] + 20)
        run.check("the lamp window grown", lambda ws: run.find(lamps.title, ws).client[2] > lamps.client[2])
        tour.keys_open("the backdrop", [("F12",)])
        tour.keys_open("the settings on the MIDI page", [("F5",)])
        tour.opens("the tutorial's question", lambda: tour.menu(FILE_TITLE, "Down", "Down", "Down", "Down",
                                                                 "Return"))


def wm_tool_windows(program, data, tmp):
    # Each tool window floated by a double click on its surface, clear of
    # those floated before, and docked again by one on its caption.
    with wm_runs(program, data, tmp, "tools", size="1024x600") as run:
        tour = Tour(run)
        run.shown(run.title("SampleListForm"))
        tour.close_settings()
        floated = ()
        for name, place in (("BottomToolWindow", INFO_BAR), ("MenuToolWindow", PANEL_PLATE),
                            ("MainMenuToolWindow", MENU_LINE)):
            title = run.title("VorbelStepsMainForm", name)
            tour.focus()
            floating = tour.opens(title + " floated", lambda: tour.double_click(*tour.at(place)), title)
            tour.beside(floating, "floated for the first time", *floated)
            floated += (floating,)
        for floating in floated:
            tour.double_click(floating.frame[0] + floating.frame[2] - 40, floating.frame[1] + 5)
            run.gone(floating.title)
            run.check(floating.title + " docked again")


def wm_minimise(program, data, tmp):
    # With its windows shown (the playlist arranged beside the main
    # window), minimised, the program goes whole, and comes back whole, in
    # its order, when restored as a task bar does it.
    with wm_runs(program, data, tmp, "minimise", panel=(24, 0), settings="Auto Arrange=1\n") as run:
        tour = Tour(run)
        run.shown(run.title("SampleListForm"))
        if sound_cards():
            tour.keys_open("the settings", [("F6",)], run.title("MIDIForm"))
        playlist = tour.keys_open("the playlist", [("Control_L", "l")], run.title("PlayListForm"))
        tour.beside(playlist, "arranged")
        tour.opens("the channel settings", lambda: run.x.click(*tour.at(FIRST_NAME)))
        tour.opens("the lamp window", lambda: tour.menu(VIEW_TITLE, "d"))
        tour.keys_open("the backdrop", [("F12",)])
        tour.opens("the info bar floated", lambda: tour.double_click(*tour.at(INFO_BAR)),
                   run.title("VorbelStepsMainForm", "BottomToolWindow"))
        shown = {w.id for w in run.windows() if w.normal()}
        tour.focus()
        run.x.click(*tour.at(MIN_BOX))
        run.settled("every window goes", lambda ws: not any(w.normal() and w.mapped for w in ws))
        tour.focus()
        run.check("restored", lambda ws: shown <= {w.id for w in ws if w.normal() and w.mapped})
        # Minimised by the window manager, as a task bar does it, with the
        # info bar floating: it comes back whole from the task bar too.
        run.x.message(run.main.id, "WM_CHANGE_STATE", 3)
        run.settled("every window goes by the task bar", lambda ws: not any(w.normal() and w.mapped for w in ws))
        tour.focus()
        run.check("restored after the task bar", lambda ws: shown <= {w.id for w in ws if w.normal() and w.mapped})


def window_manager_case(case):
    def run(program, data, tmp):
        if shutil.which("Xvfb") is None or shutil.which("openbox") is None:
            print("Xvfb or openbox is missing: skipped")
            sys.exit(SKIP)
        case(program, data, tmp)
    return run


# ------------------------------------------------------ the windows at limits


def windows_env(tmp):
    """The program with its windows on Qt's offscreen platform, everything
    it keeps in tmp (which may belong to another user)."""
    env = batch_env(tmp)
    env["XDG_RUNTIME_DIR"] = os.path.join(tmp, "run")
    env["HOME"] = os.path.join(tmp, "home")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    os.makedirs(env["HOME"], exist_ok=True)
    return env


def start_windows(program, args, env, preexec=None):
    """Popen with standard output and error in files beside the settings."""
    tmp = env["TMPDIR"]
    out = open(os.path.join(tmp, "stdout.txt"), "w")
    err = open(os.path.join(tmp, "stderr.txt"), "w")
    proc = subprocess.Popen([program, "/NoSplash"] + args, env=env, cwd=tmp, stdout=out, stderr=err,
                            preexec_fn=preexec)
    out.close()
    err.close()
    return proc


def stderr_of(env):
    with open(os.path.join(env["TMPDIR"], "stderr.txt"), encoding="utf-8", errors="replace") as f:
        return f.read()


def hand_file(env, proc, path, seconds=120, where=None):
    """Hands a file to the program on its wave-editor socket and returns its
    answer line; None when the program ended first or never answered."""
    where = where or os.path.join(env["XDG_RUNTIME_DIR"], "VorbelSteps", "wave-editor")
    until = time.monotonic() + seconds
    while time.monotonic() < until and proc.poll() is None:
        try:
            with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
                s.settimeout(max(until - time.monotonic(), 1))
                s.connect(where)
                s.sendall(path.encode() + b"\n")
                answer = s.makefile("rb").readline().decode(errors="replace").strip()
                if answer:
                    return answer
        except OSError:
            pass
        time.sleep(0.1)
    return None


def end_by_signal(proc, what, env):
    proc.send_signal(signal.SIGTERM)
    code = wait_for_exit(proc, 120)
    if code is None:
        proc.kill()
        proc.wait()
        fail(what + ": SIGTERM did not end the program; stderr: " + stderr_of(env))
    return code


def kit_wav(data):
    kit = os.path.join(data, "Samples", "DrumKits", "Basic")
    return os.path.join(kit, sorted(n for n in os.listdir(kit) if n.lower().endswith(".wav"))[0])


def own_user():
    """A user id of its own for a thread limit (RLIMIT_NPROC counts the
    user's tasks and does not bind root); None when not run as root."""
    if os.geteuid() != 0:
        return None
    return 40000 + os.getpid() % 20000


def limits(program, data, tmp):
    uid = own_user()
    cases = [("address space %d KB" % kb, None, kb) for kb in (150000, 250000, 400000)]
    if uid is not None:
        cases += [("%d tasks" % n, n, None) for n in (1, 2, 4, 7, 10, 13, 16, 24)]
    else:
        print("not root: the thread limits are not tried")
    os.chmod(tmp, 0o711)
    for i, (what, tasks, kb) in enumerate(cases):
        home = os.path.join(tmp, "case%d" % i)
        os.makedirs(home)
        os.chmod(home, 0o777)
        env = windows_env(home)
        if tasks is not None:
            for folder in (env["XDG_RUNTIME_DIR"], env["HOME"]):
                os.chown(folder, uid, uid)

        def limit(tasks=tasks, kb=kb):
            if kb is not None:
                resource.setrlimit(resource.RLIMIT_AS, (kb * 1024, kb * 1024))
            if tasks is not None:
                os.setgroups([])
                os.setgid(uid)
                os.setuid(uid)
                resource.setrlimit(resource.RLIMIT_NPROC, (tasks, tasks))

        proc = start_windows(program, [], env, preexec=limit)
        answer = hand_file(env, proc, os.path.join(home, "none.wav"))
        if answer is None:
            code = wait_for_exit(proc, 5)
            if code is None:
                proc.kill()
                proc.wait()
                fail(what + ": the program neither answered nor ended; stderr: " + stderr_of(env))
            if code <= 0 or code == 134 or "VorbelSteps:" not in stderr_of(env):
                fail(what + ": ended with %d without a message; stderr: %s" % (code, stderr_of(env)))
            print(what + ": ended with a message")
        else:
            # Painted and answering: a second question after the window's
            # first paints, then the end.
            if hand_file(env, proc, os.path.join(home, "none.wav"), 60) is None:
                fail(what + ": the program stopped answering")
            code = end_by_signal(proc, what, env)
            if code != 0:
                fail(what + ": SIGTERM ended it with %d; stderr: %s" % (code, stderr_of(env)))
            print(what + ": shown, ended by SIGTERM")
        err = stderr_of(env)
        if "terminate called" in err or "Aborted" in err:
            fail(what + ": aborted; stderr: " + err)
        left = [n for n in os.listdir(home) if n.startswith("VorbelSteps-")]
        if left:
            fail(what + ": left %s holding %s; stderr: %s" % (left, os.listdir(os.path.join(home, left[0])), err))


def signal_end(program, data, tmp):
    env = windows_env(tmp)
    # The settings go where no file can be made: their folder is a file.
    blocker = os.path.join(tmp, "blocker")
    with open(blocker, "w") as f:
        f.write("x")
    env["VORBELSTEPS_SETTINGS"] = os.path.join(blocker, "settings.ini")
    proc = start_windows(program, [], env)
    # A sample handed over changes the song.
    answer = hand_file(env, proc, kit_wav(data))
    if answer != "OK":
        proc.kill()
        proc.wait()
        fail("the handed sample was answered %r; stderr: %s" % (answer, stderr_of(env)))
    code = end_by_signal(proc, "a changed song", env)
    err = stderr_of(env)
    if code != 0:
        fail("SIGTERM with a changed song ended with %d; stderr: %s" % (code, err))
    if "could not be written" not in err or "Not a directory" not in err:
        fail("the settings failure does not give its reason; stderr: " + err)
    if [n for n in os.listdir(tmp) if n.endswith(".zmp")]:
        fail("the song was saved")


def killed_dialog(program, data, tmp):
    env = windows_env(tmp)
    song = os.path.join(tmp, "gap.zmp")
    write_song(song, [("Kick", os.path.join(tmp, "gone.wav"))])
    proc = start_windows(program, [song], env)
    until = time.monotonic() + 120
    arrows = None
    while time.monotonic() < until and proc.poll() is None and arrows is None:
        for name in os.listdir(tmp):
            if name.startswith("VorbelSteps-") and os.path.isdir(os.path.join(tmp, name, "DialogArrows")):
                arrows = name
        time.sleep(0.1)
    proc.kill()
    proc.wait()
    if arrows is None:
        fail("the warning box was not shown; stderr: " + stderr_of(env))
    left = [n for n in os.listdir(tmp) if n.startswith("VorbelSteps")]
    if left != [arrows]:
        fail("the killed run left %s" % left)
    proc = run(program, ["/R" + os.path.join(tmp, "next")], batch_env(tmp), tmp)
    if proc.returncode != 0:
        fail("the next run did not render", proc)
    left = [n for n in os.listdir(tmp) if n.startswith("VorbelSteps")]
    if left:
        fail("the next run left %s" % left, proc)


def missing_home(program, data, tmp):
    # Without a runtime folder the sound client would keep its files in the
    # home. The wave-editor socket is then /tmp/VorbelSteps-<uid>/: the
    # program runs as a user of its own, alone there.
    uid = own_user()
    if uid is None:
        print("not root: skipped")
        sys.exit(SKIP)
    os.chmod(tmp, 0o777)
    env = batch_env(tmp)
    parent = os.path.join(tmp, "gone")
    env["HOME"] = os.path.join(parent, "home")
    for name in ("XDG_CONFIG_HOME", "VORBELSTEPS_SETTINGS", "XDG_RUNTIME_DIR"):
        env.pop(name, None)
    shared = "/tmp/VorbelSteps-%d" % uid

    def other_user():
        os.setgroups([])
        os.setgid(uid)
        os.setuid(uid)

    try:
        proc = start_windows(program, [], env, preexec=other_user)
        if hand_file(env, proc, os.path.join(tmp, "none.wav"), where=shared + "/wave-editor") is None:
            proc.kill()
            proc.wait()
            fail("the program did not start; stderr: " + stderr_of(env))
        code = end_by_signal(proc, "a missing home", env)
        if code != 0:
            fail("SIGTERM ended it with %d" % code)
    finally:
        shutil.rmtree(shared, ignore_errors=True)
    if os.path.exists(parent):
        made = [os.path.join(r, n) for r, ds, fs in os.walk(parent) for n in ds + fs]
        fail("made under the missing home: %s %s" % (parent, made))
    left = [n for n in os.listdir(tmp) if n.startswith(("VorbelSteps-", "pulse-"))]
    if left:
        fail("left %s" % left)


def write_song(path, channels):
    """A song of the given (name, sample file) channels."""

    def text(event, value):
        raw = value.encode("latin-1") + b"\0"
        return bytes([event]) + length(len(raw)) + raw

    events = bytearray()
    for i, (name, sample) in enumerate(channels):
        events += bytes([64]) + struct.pack("<H", i)
        events += text(192, name) + text(196, sample)
    image = b"ZMhd" + struct.pack("<I", 6) + struct.pack("<3H", 0, len(channels), 16)
    image += b"ZMdt" + struct.pack("<I", len(events)) + events
    with open(path, "wb") as f:
        f.write(image)


def silent_channels(program, data, tmp):
    dat = os.path.join(tmp, "kick.dat")
    bare = os.path.join(tmp, "snare")
    for path in (dat, bare):
        shutil.copyfile(kit_wav(data), path)
    song = os.path.join(tmp, "silent.zmp")
    write_song(song, [("Kick", dat), ("Snare", bare), ("Hat", "/etc/passwd"), ("Tom", os.path.join(tmp, "gone.wav")),
                      ("Clap", kit_wav(data))])
    wav = os.path.join(tmp, "silent.WAV")
    proc = run(program, [song, "/R" + wav], batch_env(tmp), tmp)
    if proc.returncode != 0 or not os.path.isfile(wav):
        fail("the song with silent channels did not render", proc)
    for line in ("Channel 1 (Kick): " + dat, "Channel 2 (Snare): " + bare, "Channel 3 (Hat): /etc/passwd",
                 "Channel 4 (Tom): " + os.path.join(tmp, "gone.wav")):
        if line not in proc.stderr:
            fail("standard error does not name " + line, proc)
    if "Channel 5" in proc.stderr:
        fail("the channel that plays is named", proc)

    uid = own_user()
    if uid is None:
        print("not root: the unreadable song is not tried")
        return
    os.chmod(tmp, 0o777)
    os.chmod(song, 0o600)

    def other_user():
        os.setgroups([])
        os.setgid(uid)
        os.setuid(uid)

    proc = run(program, [song, "/R" + os.path.join(tmp, "no")], batch_env(tmp), tmp, preexec=other_user)
    if proc.returncode == 0 or "Permission denied" not in proc.stderr:
        fail("an unreadable song does not say why", proc)


CASES = {
    "render-default": render_default,
    "render-song": render_song,
    "missing-song": missing_song,
    "damaged-song": damaged_song,
    "unwritable-wav": unwritable_wav,
    "size-limit": size_limit,
    "memory-limit": memory_limit,
    "missing-data": missing_data,
    "codec-libraries": codec_libraries,
    "alone": alone,
    "front-data": front_data,
    "smoke": smoke,
    "click-save": click_save,
    "exit-windows": exit_windows,
    "editor-reopen": lambda program, data, tmp: editors(program, data, tmp, "reopen"),
    "editor-place": lambda program, data, tmp: editors(program, data, tmp, "place"),
    "limits": limits,
    "signal-end": signal_end,
    "killed-dialog": killed_dialog,
    "missing-home": missing_home,
    "silent-channels": silent_channels,
    "wm-first-start": window_manager_case(wm_first_start),
    "wm-windows": window_manager_case(wm_windows),
    "wm-tool-windows": window_manager_case(wm_tool_windows),
    "wm-minimise": window_manager_case(wm_minimise),
}


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "click-save-inside":
        click_save_inside(sys.argv[2], sys.argv[3], sys.argv[4])
        return 0
    if len(sys.argv) == 5 and sys.argv[1] == "exit-windows-inside":
        exit_windows_inside(sys.argv[2], sys.argv[3], sys.argv[4])
        return 0
    if len(sys.argv) == 6 and sys.argv[1] == "editors-inside":
        editors_inside(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5])
        return 0
    if len(sys.argv) != 4 or sys.argv[1] not in CASES:
        print(__doc__)
        return 2
    case, program, data = sys.argv[1], sys.argv[2], sys.argv[3]
    tmp = tempfile.mkdtemp(prefix="vs-app-")
    try:
        CASES[case](program, data, tmp)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
