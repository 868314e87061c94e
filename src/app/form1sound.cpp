// What the window shows of the sound output: a status-bar panel with the latency the
// sound runs with, or "No sound" while nothing plays; its tool tip tells the driver,
// how the latency is made up, or why there is no sound. And the "Sound and MIDI"
// window: what it changes is heard at once, what it keeps applies at the next start.
#include "form1.h"

#include "desktop.h"
#include "frmsound.h"
#include "midiportfactory.h"
#include "soundcontrol.h"
#include "soundsettingsstore.h"
#include "soundstatus.h"
#include "widgets.h"

#include <QLabel>

namespace {

// The seventh panel, beside "Quorvel": the others stay as designed.
constexpr int soundPanel = 6;

} // namespace

void Form1::showSoundState()
{
    SoundStatus* sound = services_.sound;
    if (!sound) {
        return;
    }
    // Start-up runs again on every restart; one connection serves the window's life.
    connect(sound, &SoundStatus::soundStateChanged, this, &Form1::showSoundState,
            Qt::UniqueConnection);
    const SoundState state = sound->soundState();
    QLabel* panel = c_.StatusBar1->panel(soundPanel);
    panel->setText(state.sounding ? QStringLiteral("Sound %1 ms").arg(state.latencyMs, 0, 'f', 1)
                                  : QStringLiteral("No sound"));
    panel->setToolTip(state.detail);
}

FrmSound* Form1::makeSoundWindow()
{
    SoundControl* synth = services_.synth;
    SoundSettings shown = sound_;
    if (synth) {
        shown.soundFont = synth->soundFont();
    }
    const QList<MidiSystem> systems =
        services_.ports ? services_.ports->systems() : QList<MidiSystem>{};
    const QString status =
        (QStringList{midisystems::statusText(systems)} + connections_.problems()).join(u' ');

    // The window may outlive the main window's object.
    FrmSound::Hooks hooks{[synth](const QString& path) {
                              return synth ? synth->loadSoundFont(path)
                                           : QStringLiteral("there is no synthesiser to load it");
                          },
                          &FrmSound::askForSoundFont,
                          [self = QPointer<Form1>(this), fontShown = shown.soundFont](
                              const SoundSettings& values, QString* error) {
                              return self && self->saveSoundChoices(values, fontShown, error);
                          }};
    auto* window =
        new FrmSound(shown, soundsettings::installedSoundFonts(soundsettings::soundFontFolders()),
                     systems, status, backColor(), *services_.desktop, std::move(hooks));
    if (synth) {
        connect(window, &FrmSound::volumeChanged, this,
                [synth](int volume) { synth->setGain(SoundSettings::gainFor(volume)); });
        connect(window, &FrmSound::reverbChanged, this, [synth](bool on) { synth->setReverb(on); });
        connect(window, &FrmSound::chorusChanged, this, [synth](bool on) { synth->setChorus(on); });
    }
    return window;
}

bool Form1::saveSoundChoices(const SoundSettings& values, const QString& fontShown, QString* error)
{
    // A SoundFont that plays for this run only (from the command line, or in place of
    // one that could not be loaded) is kept only when the player picked it here.
    SoundSettings kept = values;
    if (values.soundFont == fontShown) {
        kept.soundFont = sound_.soundFont;
    }
    if (services_.soundStore && !services_.soundStore->save(kept, error)) {
        return false;
    }
    sound_ = kept;
    return true;
}
