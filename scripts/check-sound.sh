#!/usr/bin/env bash
# Plays the real piano as a user would and checks that the notes come out of the
# speakers: a virtual display (Xvfb), a private sound server whose output is a null
# sink (scripts/sound-server.sh), keys pressed with xdotool, the sink recorded with
# parecord and measured with sox. Prints the loudness of a quiet moment and of the
# played notes.
# Usage: scripts/check-sound.sh [program folder, default build/dev/bin]
set -euo pipefail
bin=$(realpath "${1:-build/dev/bin}")
work=$(mktemp -d)
export XDG_DATA_HOME=$work/data
. "$(dirname "$0")/sound-server.sh"
cleanup() {
    kill "${recorder:-}" "${piano:-}" 2>/dev/null || true
    stop_sound_server "$work/run"
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb :91 -screen 0 1280x800x24 >/dev/null 2>&1 & xvfb=$!
export DISPLAY=:91
start_sound_server "$work/run"
"$bin/quorvel" >/dev/null 2>&1 & piano=$!
window=$(xdotool search --sync --name "^Quorvel")
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
sleep 1
title=$(xdotool getwindowname "$window")
parecord --device=speakers.monitor --file-format=wav "$work/quiet.wav" & recorder=$!
sleep 1
kill "$recorder"; wait "$recorder" 2>/dev/null || true
parecord --device=speakers.monitor --file-format=wav "$work/played.wav" & recorder=$!
sleep 0.3
# Z, X and C: the first three white keys; Q: an octave and a half up.
for key in z x c q; do
    xdotool keydown "$key"; sleep 0.25; xdotool keyup "$key"; sleep 0.1
done
sleep 0.5
kill "$recorder"; wait "$recorder" 2>/dev/null || true
echo "window title: $title"
echo "quiet moment: $(sox "$work/quiet.wav" -n stat 2>&1 | grep 'Maximum amplitude')"
echo "keys played:  $(sox "$work/played.wav" -n stat 2>&1 | grep 'Maximum amplitude')"
