# Sourced by the checks that listen to the piano: a private sound server whose output is
# a null sink named "speakers", reached through XDG_RUNTIME_DIR, so the user's own sound
# server is never touched. PulseAudio when its daemon is installed; otherwise PipeWire
# with its PulseAudio service and session manager, as on desktops that run PipeWire.

# Starts the server for the runtime folder $1 (created when missing) and exports
# XDG_RUNTIME_DIR. When neither server is installed it says what is missing and exits
# the calling script with 77, the usual code of a skipped check.
start_sound_server() {
    export XDG_RUNTIME_DIR=$1
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    if command -v pulseaudio >/dev/null; then
        pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
            --load="module-null-sink sink_name=speakers" \
            --load=module-native-protocol-unix >/dev/null 2>&1
    elif command -v pipewire >/dev/null && command -v pipewire-pulse >/dev/null &&
        command -v wireplumber >/dev/null && command -v pactl >/dev/null; then
        pipewire >/dev/null 2>&1 &
        echo $! >"$XDG_RUNTIME_DIR/.pids"
        sleep 0.5
        wireplumber >/dev/null 2>&1 &
        echo $! >>"$XDG_RUNTIME_DIR/.pids"
        pipewire-pulse >/dev/null 2>&1 &
        echo $! >>"$XDG_RUNTIME_DIR/.pids"
        for _ in $(seq 50); do
            pactl info >/dev/null 2>&1 && break
            sleep 0.1
        done
        pactl load-module module-null-sink sink_name=speakers >/dev/null
        pactl set-default-sink speakers
    else
        echo "skipped: this check needs a private sound server, and neither is installed:" \
            "the PulseAudio daemon (package pulseaudio), or PipeWire with pipewire-pulse and" \
            "wireplumber; and pactl and parecord (package pulseaudio-utils)" >&2
        exit 77
    fi
    sleep 1
}

# Stops the server of the runtime folder $1.
stop_sound_server() {
    if [ -f "$1/.pids" ]; then
        # shellcheck disable=SC2046
        kill $(cat "$1/.pids") 2>/dev/null || true
    else
        XDG_RUNTIME_DIR=$1 pulseaudio --kill 2>/dev/null || true
    fi
}
