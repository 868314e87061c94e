#!/usr/bin/env bash
# Plays the real piano as a user would and checks that the notes come out of the
# speakers: a virtual display (Xvfb), a private sound server whose output is a null
# sink (scripts/sound-server.sh), keys pressed with xdotool, the sink recorded with
# parecord and measured with sox. Prints the loudness of a quiet moment and of the played notes.
# Then ends the sound server and starts a new one: prints what the piano said
# meanwhile, how long after the server's return it was back, and the loudness of a
# note played then. Last, starts the piano with no sound server at all (ALSA's null
# device standing in for a sound card) and prints the driver it fell back to.
# Usage: scripts/check-sound.sh [program folder, default build/dev/bin]
set -euo pipefail
bin=$(realpath "${1:-build/dev/bin}")
work=$(mktemp -d)
export XDG_DATA_HOME=$work/data
. "$(dirname "$0")/sound-server.sh"
export QT_LOGGING_RULES="quorvel.synth.info=true"
export QT_MESSAGE_PATTERN="%{time yyyy-MM-dd hh:mm:ss.zzz} %{category}: %{message}"
mkdir -p "$work/home"
cleanup() {
    for pid in "${recorder:-}" "${piano:-}" "${xvfb:-}"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    done
    stop_sound_server "$work/run"
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

start_server() {
    start_sound_server "$work/run"
}
end_server() {
    stop_sound_server "$work/run"
    # The server is gone once its socket no longer answers.
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 || return 0; sleep 0.05; done
}
# Records the sink while the keys in "$@" are played; prints the loudest sample.
loudness_of() {
    parecord --device=speakers.monitor --file-format=wav "$work/take.wav" &
    recorder=$!
    sleep 0.3
    for key in "$@"; do
        xdotool keydown "$key"; sleep 0.25; xdotool keyup "$key"; sleep 0.1
    done
    sleep 0.5
    kill "$recorder"; wait "$recorder" 2>/dev/null || true
    recorder=
    sox "$work/take.wav" -n stat 2>&1 | grep 'Maximum amplitude'
}
ms_between() { # two wall-clock times, "hh:mm:ss.zzz" or seconds since the epoch
    python3 -c "import sys; print(round((float(sys.argv[2]) - float(sys.argv[1])) * 1000))" "$1" "$2"
}

Xvfb :91 -screen 0 1280x800x24 >/dev/null 2>&1 & xvfb=$!
export DISPLAY=:91
start_server
"$bin/quorvel" >"$work/piano.log" 2>&1 & piano=$!
window=$(xdotool search --sync --name "^Quorvel")
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
sleep 1
title=$(xdotool getwindowname "$window")
echo "window title: $title"
echo "quiet moment: $(loudness_of)"
# Z, X and C: the first three white keys; Q: an octave and a half up.
echo "keys played:  $(loudness_of z x c q)"

end_server
sleep 1
echo "server gone:  $(grep -a 'quorvel.synth: sound:' "$work/piano.log" | tail -1 | cut -d' ' -f4-)"
lines=$(grep -ac 'quorvel.synth: sound:' "$work/piano.log")
back=$(date +%s.%N)
start_server
for _ in $(seq 60); do
    [ "$(grep -ac 'quorvel.synth: sound:' "$work/piano.log")" -gt "$lines" ] && break
    sleep 0.05
done
said=$(grep -a 'quorvel.synth: sound:' "$work/piano.log" | sed -n "$((lines + 1))p")
said_at=$(date -d "$(echo "$said" | cut -d' ' -f1-2)" +%s.%N)
echo "server back:  the piano said so $(ms_between "$back" "$said_at") ms after the server was started: $(echo "$said" | cut -d' ' -f4-)"
echo "keys played:  $(loudness_of z x c q)"
kill "$piano"; wait "$piano" 2>/dev/null || true
end_server

# No sound server: FluidSynth's own drivers, ALSA's null device as the sound card.
printf 'pcm.!default { type null }\n' >"$work/home/.asoundrc"
HOME=$work/home "$bin/quorvel" >"$work/alone.log" 2>&1 & piano=$!
xdotool search --sync --name "^Quorvel" >/dev/null
sleep 1
echo "no server:    $(grep -a 'quorvel.synth: sound:' "$work/alone.log" | tail -1 | cut -d' ' -f4-)"
