#!/usr/bin/env bash
# Checks that the computer keys play by their position, whatever the keyboard layout:
# for a US, a German and a French layout, switches Extra > Record on, presses the
# keys in the US positions of Z, Y, Q, M and comma (X key codes 52, 29, 24, 58, 59)
# and prints the key indices the recorder wrote. Each layout must give 0 26 17 11 12.
# Usage: scripts/check-layouts.sh [program folder, default build/dev/bin]
set -euo pipefail
bin=$(realpath "${1:-build/dev/bin}")
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR"
Xvfb :92 -screen 0 1280x800x24 >/dev/null 2>&1 & xvfb=$!
export DISPLAY=:92
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1
for layout in us de fr; do
    setxkbmap "$layout"
    export XDG_DATA_HOME=$work/$layout
    "$bin/quorvel" >/dev/null 2>&1 & piano=$!
    window=$(xdotool search --sync --name "^Quorvel")
    xdotool windowfocus --sync "$window"
    sleep 0.5
    xdotool key alt+e; sleep 0.3; xdotool key r; sleep 0.3 # Extra > Record
    for code in 52 29 24 58 59; do
        xdotool key "$code"; sleep 0.1
    done
    sleep 0.3
    kill "$piano"; wait "$piano" 2>/dev/null || true
    echo "$layout: $(tr -d '\r' < "$XDG_DATA_HOME/quorvel/pianon.ini" | tr -s ' \n' ' ')"
done
