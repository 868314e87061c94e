#!/usr/bin/env bash
# Shared play end to end: the relay server and two real pianos under one virtual
# display, each piano on a sound server of its own whose output is a null sink.
# Both connect with File > Connect (F3); Z is pressed in the first one only, and
# both sound outputs are recorded: each must carry the note.
# Usage: scripts/check-shared-play.sh [program folder, default build/dev/bin]
set -euo pipefail
bin=$(realpath "${1:-build/dev/bin}")
work=$(mktemp -d)
pids=()
. "$(dirname "$0")/sound-server.sh"
cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    for side in a b; do stop_sound_server "$work/$side/run"; done
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb :93 -screen 0 1600x900x24 >/dev/null 2>&1 & pids+=($!)
export DISPLAY=:93
"$bin/trelvane" --port 9352 --bind 127.0.0.1 > "$work/relay.log" 2>&1 & pids+=($!)
sleep 1
declare -A window
for side in a b; do
    export XDG_DATA_HOME=$work/$side/data
    start_sound_server "$work/$side/run"
    before=$(xdotool search --name "^Quorvel" 2>/dev/null || true)
    "$bin/quorvel" >/dev/null 2>&1 & pids+=($!)
    for _ in $(seq 50); do
        id=$(comm -13 <(echo "$before" | sort) <(xdotool search --name "^Quorvel" 2>/dev/null | sort) | head -1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    window[$side]=$id
    xdotool windowfocus --sync "$id"; sleep 0.3
    xdotool key F3; sleep 0.5                     # File > Connect asks for the address
    xdotool type --delay 20 "127.0.0.1"; xdotool key Return
    sleep 1
done
for side in a b; do
    XDG_RUNTIME_DIR=$work/$side/run parecord --device=speakers.monitor --file-format=wav \
        "$work/$side.wav" & pids+=($!)
done
sleep 0.5
xdotool windowfocus --sync "${window[a]}"; sleep 0.3
xdotool key z; sleep 0.1; xdotool key z
sleep 1
kill "${pids[@]:(-2)}"; sleep 0.3
echo "first piano's title:  $(xdotool getwindowname "${window[a]}")"
echo "second piano's title: $(xdotool getwindowname "${window[b]}")"
for side in a b; do
    echo "piano $side heard: $(sox "$work/$side.wav" -n stat 2>&1 | grep 'Maximum amplitude')"
done
echo "relay log:"; sed 's/^/  /' "$work/relay.log"
