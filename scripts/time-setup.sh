#!/usr/bin/env bash
# Times what a new user waits for on a fresh clone: `make run` until the piano's window
# appears (on a virtual display), and `make test` to its end. Each starts from a clone
# of its own with no build folder and without a compiler cache, and prints its seconds
# with the machine's load, which other work on the machine inflates.
# Usage: scripts/time-setup.sh [repository, default .] [run|test|both, default both]
set -euo pipefail
repo=$(realpath "${1:-.}")
what=${2:-both}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER
export CCACHE_DISABLE=1

load() { cut -d' ' -f1-3 /proc/loadavg; }

if [ "$what" = run ] || [ "$what" = both ]; then
    git clone -q "$repo" "$work/run"
    log=$work/run.log
    start=$(date +%s.%N)
    # The piano runs until it is closed: measure to its window, then close it.
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
        cd "$1" || exit 1
        setsid make run >"$2" 2>&1 & maker=$!
        for _ in $(seq 36000); do
            xdotool search --name "^Quorvel" >/dev/null 2>&1 && break
            kill -0 "$maker" 2>/dev/null || break
            sleep 0.1
        done
        date +%s.%N >"$1/.appeared"
        kill -- -"$maker" 2>/dev/null || true
        wait "$maker" 2>/dev/null || true' _ "$work/run" "$log"
    end=$(cat "$work/run/.appeared")
    if grep -q "bin/quorvel" "$log"; then
        printf 'make run: window after %.0f s (load %s)\n' "$(awk "BEGIN{print $end - $start}")" "$(load)"
    else
        echo "make run: the window did not appear; the end of its log:"; tail -20 "$log"
    fi
    echo "  build steps: $(grep -c '^\[[0-9]*/[0-9]*\]' "$log" || true)," \
        "benchmarks among them: $(grep -c 'bench' "$log" || true)"
fi

if [ "$what" = test ] || [ "$what" = both ]; then
    git clone -q "$repo" "$work/test"
    start=$(date +%s.%N)
    status=0
    (cd "$work/test" && make test) >"$work/test.log" 2>&1 || status=$?
    end=$(date +%s.%N)
    printf 'make test: %.0f s, exit %d (load %s)\n' "$(awk "BEGIN{print $end - $start}")" "$status" "$(load)"
    grep -E 'tests passed|tests failed' "$work/test.log" || tail -20 "$work/test.log"
fi
