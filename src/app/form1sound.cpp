// What the window shows of the sound output: a status-bar panel with the latency the
// sound runs with, or "No sound" while nothing plays; its tool tip tells the driver,
// how the latency is made up, or why there is no sound.
#include "form1.h"

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
