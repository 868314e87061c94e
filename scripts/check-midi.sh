#!/usr/bin/env bash
# Shows the piano in a MIDI world without sound hardware. A private JACK server on its
# dummy back end; a stand-in keyboard (jack_midiseq, client "Keys", playing note 60 and
# note 100, beyond the piano's keys, once a second); the piano started with the output
# "both" and that keyboard as its input; jack_midi_dump listening on the piano's output
# as another program's synthesiser would. Prints the connections (jack_lsp -c) and the
# bytes the piano sent: the keyboard's notes played through the piano, then the next
# instrument (the key Home) and the key Z, pressed with xdotool.
# Then, on a private sound server (scripts/sound-server.sh), records the key Z with the
# default SoundFont, with another one given by --soundfont, and with the volume turned
# down in the settings file, and prints how each sounded.
# The ALSA sequencer cannot be shown where the kernel's /dev/snd/seq is missing.
# Usage: scripts/check-midi.sh [program folder, default build/dev/bin]
set -euo pipefail
bin=$(realpath "${1:-build/dev/bin}")
other_font=/usr/share/sounds/sf2/FluidR3_GM.sf2
work=$(mktemp -d)
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export JACK_DEFAULT_SERVER=quorvel-check-$$ JACK_NO_AUDIO_RESERVATION=1
. "$(dirname "$0")/sound-server.sh"
cleanup() {
    for pid in "${recorder:-}" "${piano:-}" "${dump:-}" "${keys:-}" "${jackd:-}" "${xvfb:-}"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    done
    stop_sound_server "$work/run"
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
for tool in jackd jack_midiseq jack_midi_dump jack_lsp jack_connect Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 77; }
done

settings() { # the piano's sound and MIDI choices
    mkdir -p "$XDG_CONFIG_HOME/quorvel"
    printf '%s\n' "$@" >"$XDG_CONFIG_HOME/quorvel/quorvel.conf"
}
start_piano() { # arguments for the piano
    "$bin/quorvel" "$@" >>"$work/piano.log" 2>&1 &
    piano=$!
    for _ in $(seq 100); do
        window=$(xdotool search --name "^Quorvel Piano" 2>/dev/null | head -1) && [ -n "$window" ] && break
        sleep 0.1
    done
    xdotool windowfocus --sync "$window"
    sleep 0.5
}
stop_piano() {
    kill "$piano"; wait "$piano" 2>/dev/null || true
    piano=
}
press_z() {
    xdotool keydown z; sleep 0.3; xdotool keyup z; sleep 0.3
}

Xvfb :92 -screen 0 1280x800x24 >/dev/null 2>&1 & xvfb=$!
export DISPLAY=:92
jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -r 48000 -p 128 >"$work/jackd.log" 2>&1 & jackd=$!
for _ in $(seq 50); do jack_lsp >/dev/null 2>&1 && break; sleep 0.1; done
# One second of 48000 frames: note 60 from frame 0, note 100 from frame 24000.
jack_midiseq Keys 48000 0 60 12000 24000 100 12000 >/dev/null 2>&1 & keys=$!
jack_midi_dump >"$work/dump.txt" 2>&1 & dump=$!
sleep 0.5

echo "== MIDI: output both, input Keys:out, on JACK"
settings '[midi]' 'output=both' 'system=jack' 'input=Keys:out'
start_piano
jack_connect "Quorvel Piano:Quorvel Piano" midi-monitor:input
echo "-- jack_lsp -c"
jack_lsp -c
sleep 1.2
echo "-- the keyboard's notes, through the piano (its channel 0, velocity 127, piano release 8c):"
tr -d '\0' <"$work/dump.txt" | sed -n '1,4p'
kill "$keys"; wait "$keys" 2>/dev/null || true; keys=
sleep 0.3
: >"$work/dump.txt"
xdotool key Home
press_z
echo "-- the key Home (instrument 1), then the key Z (base note 60 from the settings file):"
tr -d '\0' <"$work/dump.txt"
echo "-- the piano said:"
grep -a 'quorvel.midi' "$work/piano.log" || echo "(nothing: every choice was had)"
stop_piano

echo "== The ALSA sequencer chosen, output to the port only"
settings '[midi]' 'output=port' 'system=alsa'
: >"$work/piano.log"
start_piano
grep -a 'quorvel.midi' "$work/piano.log" || echo "(nothing said)"
stop_piano
kill "$jackd"; wait "$jackd" 2>/dev/null || true; jackd=
echo "== ... and with no JACK server either"
: >"$work/piano.log"
start_piano
grep -a 'quorvel.midi' "$work/piano.log" || echo "(nothing said)"
stop_piano

echo "== Sound: the key Z recorded from a private sound server"
start_sound_server "$work/run"
take() { # label, then the piano's arguments
    local label=$1
    shift
    start_piano "$@"
    parecord --device=speakers.monitor --file-format=wav "$work/take.wav" &
    recorder=$!
    sleep 0.3
    press_z
    sleep 0.5
    kill "$recorder"; wait "$recorder" 2>/dev/null || true
    recorder=
    stop_piano
    sox "$work/take.wav" -n stat 2>"$work/stat.txt"
    printf '%-28s %s, %s\n' "$label:" "$(grep 'Maximum amplitude' "$work/stat.txt" | tr -s ' ')" \
        "$(grep 'RMS.*amplitude' "$work/stat.txt" | tr -s ' ')"
}
settings '[sound]' 'volume=50'
take "default SoundFont"
if [ -f "$other_font" ]; then
    take "$(basename "$other_font")" --soundfont "$other_font"
else
    echo "skipped: $other_font is not installed"
fi
settings '[sound]' 'volume=10'
take "default, volume 10 of 100"
