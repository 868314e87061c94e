#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A MIDI system of the desktop through which the piano offers its ports to other
// programs and devices: the ALSA sequencer or JACK on Linux, Windows MIDI on Windows.
struct MidiSystem
{
    QString key;        // as the sound settings store it: "alsa", "jack", "winmm"
    QString name;       // in a list: "ALSA sequencer", "JACK"
    QString nameInText; // in a sentence: "the ALSA sequencer", "JACK"
    QString problem;    // why it cannot be used now, for the user; empty when it can
    QStringList inputs; // the ports of other programs and devices the piano can play from

    [[nodiscard]] bool available() const { return problem.isEmpty(); }
};

namespace midisystems {

// The name the piano's ports and clients carry.
inline constexpr auto clientName = "Quorvel Piano";

// The status line of the "Sound and MIDI" window: which systems carry the piano's
// ports, and why the others cannot.
[[nodiscard]] QString statusText(const QList<MidiSystem>& systems);

// The system to use: the one with key `preferred` when it is available, otherwise
// the first available one; nullptr when none is.
[[nodiscard]] const MidiSystem* choose(const QList<MidiSystem>& systems, const QString& preferred);

// Where `wanted` is in `ports`: the same name, or failing that the same name apart
// from the client and port numbers the ALSA sequencer puts at its end ("... 20:0"),
// which change when a device is plugged in again. -1 when it is not there.
[[nodiscard]] int findPort(const QStringList& ports, const QString& wanted);

// True for a port of the piano itself (or of another copy of it): offered as an
// input, the piano's own output would play its own releases back into it forever.
[[nodiscard]] bool isPianoPort(const QString& port);

} // namespace midisystems
