#!/usr/bin/env bash
# Takes the screenshot that software centres show (data/screenshot.png): the real piano
# on a virtual display, with a private sound server so that it opens its output as on
# a desktop, holding a C major chord (Z, C and B), its window captured with
# ImageMagick's import.
# Usage: scripts/take-screenshot.sh [program folder, default build/dev/bin] [file, default data/screenshot.png]
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/dev/bin}")
out=$(realpath -m "${2:-data/screenshot.png}")
work=$(mktemp -d)
export XDG_DATA_HOME=$work/data
. scripts/sound-server.sh
cleanup() {
    [ -n "${keys:-}" ] && xdotool keyup z c b 2>/dev/null || true
    kill "${piano:-}" 2>/dev/null || true
    stop_sound_server "$work/run"
    kill "${xvfb:-}" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display number of its own, whatever else runs on the machine.
Xvfb -displayfd 5 -screen 0 1280x800x24 5>"$work/display" 2>/dev/null & xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
start_sound_server "$work/run"
"$bin/quorvel" >/dev/null 2>&1 & piano=$!
window=$(xdotool search --sync --name "^Quorvel")
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
sleep 1
keys=1
xdotool keydown z c b
sleep 0.5
import -window "$window" "$out"
echo "$(xdotool getwindowname "$window"): $(identify -format '%wx%h' "$out") in $out"
