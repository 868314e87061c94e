#!/usr/bin/python3
"""Key-to-sound latency of the piano, measured by the key-to-sound tool, in the
cases a player meets:

  plain       the tool's own run: Z every 1.5 s, VMPK and the FluidSynth floor
              in the same run
  pause       instrument 6 (its notes end when the key is let go) and 4 s
              between presses: the sound thread sleeps before every press
  instrument  Home or End, a new instrument, 40 ms before every press
  shared      connected to a relay server on this machine: every note goes to
              the server and sounds when it comes back

For each case it prints the tool's lines, then the time to the first sample of
the note's voice. The two differ for the pianos (instruments 0 to 5): their
samples open with about 3.5 ms of quiet hammer noise before the strike, and the
piano's release leaves the previous note ringing, which hides that opening from
the tool's onset detector. The voice start is found by fitting the note as the
synthesiser renders it (FluidSynth with the same SoundFont) into the capture
around the tool's onset.

    bench/sound/key_to_sound_cases.py build/release/bin/quorvel plain pause \\
        instrument shared [--reps N] [--logs DIR]

Needs the key-to-sound tool (KEY_TO_SOUND, default ../shared/tools/key-to-sound
beside the source tree) and what it needs; the relay server is the one built
beside the piano.
"""

import argparse
import ctypes
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL = os.environ.get("KEY_TO_SOUND",
                      os.path.join(HERE, "..", "..", "..", "shared", "tools", "key-to-sound"))
sys.path.insert(0, TOOL)

import numpy as np  # noqa: E402
import key_to_sound as K  # noqa: E402

TITLE = "^Quorvel Piano - 127 Tones$"
NOTE = 60  # Z with the base note the piano's first start sets


class CaseTarget(K.GuiTarget):
    """The piano, set up for a case before the presses and played through it."""

    case = "plain"
    relay = None

    def start(self, ctx):
        ok, why = super().start(ctx)
        if not ok:
            return ok, why
        xt = ctx["xtest"]
        if self.case == "pause":
            for _ in range(6):  # Home: the next instrument
                self.tap(xt, "Home")
        elif self.case == "shared":
            exe = os.path.join(os.path.dirname(self.argv[0]), "trelvane")
            self.relay = subprocess.Popen([exe], stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL, start_new_session=True)
            time.sleep(0.5)
            self.tap(xt, "F3")  # Connect: the address box
            time.sleep(0.8)
            K.xdo(self.env, "type", "--delay", "20", "127.0.0.1")
            self.tap(xt, "Return")
            time.sleep(1.0)
            K.xdo(self.env, "windowfocus", self.wid)
            time.sleep(0.3)
        return True, why + " [%s]" % self.case

    def press(self):
        if self.case == "instrument":
            self.upward = not getattr(self, "upward", False)
            self.tap(self.xt, "Home" if self.upward else "End")
            time.sleep(0.04)
        return super().press()

    def stop(self):
        super().stop()
        if self.relay:
            self.relay.terminate()
            self.relay.wait(5)

    @staticmethod
    def tap(xt, name):
        kc = xt.keycode(name)
        xt.key(kc, True)
        xt.key(kc, False)
        time.sleep(0.05)


# ------------------------------------------------------------------ voice start

def synth_template(program, note, seconds=0.012, rate=K.RATE):
    """The first `seconds` of the note as the piano's synthesiser renders it (mono)."""
    fs = ctypes.CDLL("libfluidsynth.so.3")
    vp = ctypes.c_void_p
    fs.new_fluid_settings.restype = vp
    fs.new_fluid_synth.restype = vp
    fs.new_fluid_synth.argtypes = [vp]
    fs.fluid_settings_setnum.argtypes = [vp, ctypes.c_char_p, ctypes.c_double]
    fs.fluid_synth_sfload.argtypes = [vp, ctypes.c_char_p, ctypes.c_int]
    fs.fluid_synth_program_change.argtypes = [vp, ctypes.c_int, ctypes.c_int]
    fs.fluid_synth_noteon.argtypes = [vp, ctypes.c_int, ctypes.c_int, ctypes.c_int]
    fs.fluid_synth_write_float.argtypes = [vp, ctypes.c_int, vp, ctypes.c_int, ctypes.c_int,
                                           vp, ctypes.c_int, ctypes.c_int]
    fs.delete_fluid_synth.argtypes = [vp]
    fs.delete_fluid_settings.argtypes = [vp]
    settings = fs.new_fluid_settings()
    fs.fluid_settings_setnum(settings, b"synth.sample-rate", float(rate))
    fs.fluid_settings_setnum(settings, b"synth.gain", 0.5)
    synth = fs.new_fluid_synth(settings)
    fs.fluid_synth_sfload(synth, K.DEFAULT_SF2.encode(), 1)
    fs.fluid_synth_program_change(synth, 0, program)
    fs.fluid_synth_noteon(synth, 0, note, 127)
    n = int(seconds * rate)
    left = np.zeros(n, np.float32)
    right = np.zeros(n, np.float32)
    fs.fluid_synth_write_float(synth, n, left.ctypes.data, 0, 1, right.ctypes.data, 0, 1)
    fs.delete_fluid_synth(synth)
    fs.delete_fluid_settings(settings)
    return (left.astype(float) + right) / 2


def voice_start(x, onset, templates, rate=K.RATE):
    """Capture time of the voice's first sample: the template placement, within
    20 ms before the tool's onset, that leaves the least of the capture
    unexplained (the capture being the template, scaled, over what already
    rang). Returns (time, fit), fit 1 for a perfect match."""
    best = (None, -1.0)
    for tpl in templates:
        s0 = int((onset - 0.020) * rate)
        s1 = int((onset + 0.002) * rate)
        if s0 < 0 or s1 + len(tpl) > len(x):
            continue
        tt = float(np.dot(tpl, tpl))
        for k in range(s0, s1):
            win = x[k:k + len(tpl)]
            ww = float(np.dot(win, win))
            if ww == 0:
                continue
            a = float(np.dot(win, tpl)) / tt
            fit = 1 - float(np.dot(win - a * tpl, win - a * tpl)) / ww
            if fit > best[1]:
                best = (k / rate, fit)
    return best


def gaps(x, events, rate=K.RATE):
    """Dropouts heard in the capture (clicks taken out) while a program played: runs
    of exact silence from 0.3 to 100 ms with sound on both sides (within 5 ms), from
    its first press to a second after its last."""
    if not events:
        return 0, 0.0
    seg = x[int(events[0]["cap"] * rate):int((events[-1]["cap"] + 1.0) * rate)]
    edges = np.diff(np.concatenate(([0], (seg == 0).astype(np.int8), [0])))
    count = 0
    near = int(0.005 * rate)
    for s, e in zip(np.nonzero(edges == 1)[0], np.nonzero(edges == -1)[0]):
        if not int(0.0003 * rate) <= e - s <= int(0.1 * rate) or s == 0 or e >= len(seg):
            continue
        if np.abs(seg[max(0, s - near):s]).max() > 0.01 and np.abs(seg[e:e + near]).max() > 0.01:
            count += 1
    return count, len(seg) / rate


def report_voice_start(log_dir, case, say):
    res = json.load(open(os.path.join(log_dir, "results.json")))
    with wave.open(os.path.join(log_dir, "capture.wav")) as w:
        x = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(float) / 32768
    x = K.drop_clicks(x, K.find_clicks(x))
    for short, r in res["targets"].items():
        n, seconds = gaps(x, [e for e in r["events"] if "cap" in e])
        say("%s (%s): %d dropouts heard in %.0f s of the capture" % (short, case, n, seconds))
    programs = {"pause": [6], "instrument": [0, 1]}.get(case, [0])
    templates = [synth_template(p, NOTE) for p in programs]
    for short, r in res["targets"].items():
        if short != "quorvel":
            continue
        starts, fits = [], []
        for e in r["events"]:
            if e.get("onset") is None:
                continue
            t, fit = voice_start(x, e["onset"], templates)
            if t is None or fit < 0.8:
                continue  # a press the fit cannot place (a dropout, another note)
            starts.append(e["latency_ms"] - 1000 * (e["onset"] - t))
            fits.append(fit)
        s = K.summary(starts)
        say("quorvel (%s) key to the first sample of the note's voice: %s  [fit median %.2f, "
            "%d presses left out]" % (case, K.fmt(s), float(np.median(fits)) if fits else 0,
                                      len(r["events"]) - len(starts)))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("piano")
    ap.add_argument("cases", nargs="+", choices=("plain", "pause", "instrument", "shared"))
    ap.add_argument("--reps", type=int, default=24)
    ap.add_argument("--logs", help="keep each case's logs and capture here")
    args = ap.parse_args()
    piano = os.path.abspath(args.piano)

    def say(s):
        print(s, flush=True)

    K.GuiTarget = CaseTarget
    for case in args.cases:
        CaseTarget.case = case
        log_dir = os.path.join(args.logs, case) if args.logs else tempfile.mkdtemp(prefix="k2s-")
        tool_args = ["--install", "--reps", str(args.reps), "--logs", log_dir,
                     "--target", "quorvel", piano, TITLE, "z", str(NOTE)]
        if case != "plain":
            tool_args.append("--no-vmpk")
        if case == "pause":
            tool_args += ["--max-latency", "3"]
        say("== %s (load %s)" % (case, open("/proc/loadavg").read().split()[0]))
        K.main(tool_args)
        report_voice_start(log_dir, case, say)
        if not args.logs:
            shutil.rmtree(log_dir, ignore_errors=True)


if __name__ == "__main__":
    main()
