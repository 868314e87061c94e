#!/usr/bin/env bash
# The sound path's figures, measured the same way after every change to it:
#  1. key to sound, by the key-to-sound tool, in four cases (key_to_sound_cases.py);
#  2. dropouts over a minute while all 41 keys sound and over a minute of a replay
#     at 20 notes a second, each with two other processes keeping both cores busy
#     (bench_sound, on a PulseAudio null sink started here).
# Prints the machine's load and the SoundFont that played: both change the figures.
# Usage: bench/sound/run-sound-benchmarks.sh [build folder, default build/release]
#        CASES="plain pause" REPS=40 SECONDS_EACH=60 to choose; LOGS=folder keeps the logs
set -euo pipefail
build=$(realpath "${1:-build/release}")
here=$(dirname "$(realpath "$0")")
echo "load: $(cut -d' ' -f1-3 /proc/loadavg); SoundFont: $(realpath /usr/share/sounds/sf2/default-GM.sf2)"

# shellcheck disable=SC2086
/usr/bin/python3 "$here/key_to_sound_cases.py" "$build/bin/quorvel" ${CASES:-plain pause instrument shared} \
    --reps "${REPS:-40}" ${LOGS:+--logs "$LOGS"}

runtime=$(mktemp -d)
hogs=()
cleanup() {
    for pid in "${hogs[@]}" "${server:-}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT
mkdir -p "$runtime/home"
export XDG_RUNTIME_DIR=$runtime PULSE_SERVER=unix:$runtime/pulse/native
HOME=$runtime/home pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-level=error \
    --load="module-null-sink sink_name=nul rate=44100" \
    --load="module-native-protocol-unix auth-anonymous=1" >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do [ -S "$runtime/pulse/native" ] && break; sleep 0.05; done
for _ in 1 2; do
    sh -c 'while :; do :; done' &
    hogs+=($!)
done
echo "== bench_sound, two busy processes beside it (load $(cut -d' ' -f1 /proc/loadavg))"
"$build/bench/bench_sound" "${SECONDS_EACH:-60}" 2>&1 | grep -v '^quorvel.synth'
