#!/usr/bin/env bash
# Runs the piano's benchmarks the way a user runs the piano: on a virtual display,
# with a PulseAudio server whose output is a null sink. Prints their figures.
# Usage: bench/run-app-benchmarks.sh [build folder, default build/release]
set -euo pipefail
build=${1:-build/release}
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
trap 'pulseaudio --kill 2>/dev/null || true; rm -rf "$runtime"' EXIT
pulseaudio --daemonize=yes --exit-idle-time=-1 --disallow-exit -n \
    --load=module-null-sink --load=module-native-protocol-unix >/dev/null 2>&1 || true
sleep 1
for bench in ${BENCHES:-"$build"/bench/bench_startup "$build"/bench/bench_keylatency "$build"/bench/bench_replay "$build"/bench/bench_sharedplay}; do
    [ -x "$bench" ] || continue
    echo "== $(basename "$bench")"
    xvfb-run -a -s "-screen 0 1280x800x24" "$bench"
done
