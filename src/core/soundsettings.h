#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

// The player's sound and MIDI choices, kept in a settings file of their own
// (~/.config/quorvel/quorvel.conf on Linux), apart from the legacy instruments.ini.
struct SoundSettings
{
    enum class Output {
        Synthesiser, // the embedded synthesiser only
        Port,        // the MIDI port for other programs only
        Both
    };

    QString soundFont = defaultSoundFont();
    int volume = 50; // the synthesiser's gain in hundredths, 0 to 100
    bool reverb = true;
    bool chorus = true;
    Output output = Output::Synthesiser;
    QString portSystem; // a MidiSystem key ("alsa", "jack"); empty: the first that runs
    QString inputPort;  // the port the piano plays from; empty: none

    // The synthesiser's gain for a volume: 1.0 at full volume.
    [[nodiscard]] static double gainFor(int volume) { return volume / 100.0; }
    [[nodiscard]] double gain() const { return gainFor(volume); }

    // The General MIDI SoundFont Debian provides as the system's default.
    [[nodiscard]] static QString defaultSoundFont();

    friend bool operator==(const SoundSettings&, const SoundSettings&) = default;
};

namespace soundsettings {

inline constexpr int maxVolume = 100;

// The user's settings file: organisation and application "quorvel", the desktop's
// usual place (~/.config/quorvel/quorvel.conf on Linux).
[[nodiscard]] std::unique_ptr<QSettings> openUserStore();

// Reads the choices; a value that is missing or not one the program knows (a volume
// out of range, an output it does not name) keeps its default.
[[nodiscard]] SoundSettings read(QSettings& store);

// Writes the choices and flushes them to the file; false, with a sentence for the
// user in `error`, when the file could not be written.
bool write(QSettings& store, const SoundSettings& values, QString* error);

// The folders searched for installed SoundFonts, in this order: the system's two and
// the user's own.
[[nodiscard]] QStringList soundFontFolders();

// The SoundFont files (.sf2, .sf3) in `folders`, sorted by name within each folder;
// a file reached again through a link is listed once.
[[nodiscard]] QStringList installedSoundFonts(const QStringList& folders);

} // namespace soundsettings
