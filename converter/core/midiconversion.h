#pragma once

#include "replaysettings.h"
#include "score.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The current recording of the piano's data folder turned into a Standard MIDI File.
class MidiConversion
{
public:
    // One tick is one millisecond: 1000 ticks per quarter note at 60 beats a minute.
    static constexpr quint16 ticksPerQuarter = 1000;
    static constexpr quint32 microsecondsPerQuarter = 1000000;
    static constexpr quint8 velocity = 127;
    static constexpr auto defaultFileName = "piano.mid";

    // Reads the recording pair (piano.ini, pianon.ini) and the settings file of
    // `dataFolder`. When anything is missing, unreadable, damaged or larger than the
    // piano replays, ok() is false and error() says what and where; nothing is ever
    // written here.
    [[nodiscard]] static MidiConversion load(const QString& dataFolder);

    // A conversion of a recording already read.
    [[nodiscard]] static MidiConversion fromScript(const ReplayScript& script,
                                                   const ReplaySettings& settings);

    [[nodiscard]] bool ok() const { return score_.has_value(); }
    [[nodiscard]] const QString& error() const { return error_; }
    [[nodiscard]] const Score& score() const { return *score_; }
    [[nodiscard]] const ReplaySettings& settings() const { return settings_; }

    // What the window shows: notes, length and the settings used (only when ok()).
    [[nodiscard]] QString summary() const;

    // The file: tempo and track name, the program change for `instrument` (0 to
    // 127) on the settings' channel, then every note at velocity 127 with its
    // note-off. No value when the instrument is not 0 to 127 or the file cannot be
    // formed (only when ok()).
    [[nodiscard]] std::optional<QByteArray> midiFile(int instrument) const;

    // The channel must be a MIDI channel; the piano adds it to the status byte, and
    // a MIDI file cannot hold other values.
    static constexpr int highestChannel = 15;

private:
    static MidiConversion failed(QString error);

    std::optional<Score> score_;
    ReplaySettings settings_;
    QString error_;
};

// A length as the window shows it: "1 min 05 s", rounded to the second.
[[nodiscard]] QString lengthText(qint64 ms);
