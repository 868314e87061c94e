#pragma once

#include "midisystems.h"
#include "soundsettings.h"

#include <QDialog>

#include <functional>

class Desktop;
class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

// The "Sound and MIDI" window. Values in, values out: it shows the choices it is
// given and hands the edited ones to its save function. Volume, reverb and chorus are
// reported at once so the caller can make them heard; a SoundFont is handed to the
// caller to load at once, and stays in use only when the caller takes it. Output and
// input apply at the next start. Cancel and the close box take back what was heard.
class FrmSound final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmSound)

public:
    struct Hooks
    {
        // Loads the SoundFont at a path into the synthesiser; empty when it plays,
        // otherwise why it was refused (the old one then plays on).
        std::function<QString(const QString& path)> loadSoundFont;
        // Asks for a SoundFont file; empty when the user cancels. askForSoundFont()
        // is the real one.
        std::function<QString(QWidget* parent)> chooseFile;
        // Stores the choices; false, with a sentence for the user in `error`.
        std::function<bool(const SoundSettings& values, QString* error)> save;
    };

    // `installedFonts`: as soundsettings::installedSoundFonts() lists them; `systems`:
    // the MIDI systems and their input ports; `status`: the line that says what of
    // MIDI works here. The window deletes itself when it closes.
    FrmSound(const SoundSettings& values, const QStringList& installedFonts,
             const QList<MidiSystem>& systems, const QString& status, const QColor& backColor,
             Desktop& desktop, Hooks hooks);

    // The choices as the window shows them, with the SoundFont in use.
    [[nodiscard]] SoundSettings choices() const;

    // A file dialog for .sf2 and .sf3 files.
    [[nodiscard]] static QString askForSoundFont(QWidget* parent);

    // OK: stores the choices and closes; a failed save is told in a message box and
    // the window stays open.
    void cmdOK_Click();

    // Cancel, Escape and the close box: the volume, reverb, chorus and SoundFont the
    // window was opened with are made heard again, and nothing is stored.
    void reject() override;

Q_SIGNALS:
    void volumeChanged(int volume); // 0 to soundsettings::maxVolume
    void reverbChanged(bool on);
    void chorusChanged(bool on);

private:
    void tryFont(const QString& path);
    void showFontInUse(const QString& refusal);
    int fontIndex(const QString& path);
    void fillInputs();

    SoundSettings original_;
    QString fontInUse_;
    QList<MidiSystem> systems_;
    Desktop& desktop_;
    Hooks hooks_;

    QLabel* lblSoundFont_ = nullptr;
    QComboBox* cboSoundFont_ = nullptr;
    QLabel* lblVolume_ = nullptr;
    QSlider* sldVolume_ = nullptr;
    QCheckBox* chkReverb_ = nullptr;
    QCheckBox* chkChorus_ = nullptr;
    QComboBox* cboOutput_ = nullptr;
    QComboBox* cboSystem_ = nullptr;
    QComboBox* cboInput_ = nullptr;
};
