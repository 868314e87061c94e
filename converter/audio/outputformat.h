#pragma once

#include <QList>
#include <QString>

#include <optional>

// The kinds of file the converter writes. The suffix of the file's name chooses one.
enum class OutputFormat {
    Midi,
    Wav,
    Flac,
    Ogg,
};

namespace outputformat {

// Every format, the MIDI file first.
inline constexpr OutputFormat all[] = {OutputFormat::Midi, OutputFormat::Wav, OutputFormat::Flac,
                                       OutputFormat::Ogg};

// The format a file name asks for by its suffix, whatever its letter case: .mid and
// .midi, .wav, .flac, .ogg and .oga. No value for any other suffix or none.
[[nodiscard]] std::optional<OutputFormat> forPath(const QString& path);

// The suffix a new file of that format gets, without the dot ("mid", "wav").
[[nodiscard]] QString suffix(OutputFormat format);

// What the user calls it: "MIDI file", "WAV sound".
[[nodiscard]] QString name(OutputFormat format);

// A file-dialog filter: "WAV sound (*.wav)".
[[nodiscard]] QString filter(OutputFormat format);

// `path` as it is when its suffix names a format, else with the suffix of `format`.
[[nodiscard]] QString withSuffix(const QString& path, OutputFormat format);

} // namespace outputformat
