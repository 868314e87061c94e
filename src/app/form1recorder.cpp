// The recorder: the Record switch, the tick counter and the appends.
#include "form1.h"

#include "clock.h"
#include "datafolder.h"
#include "desktop.h"
#include "musicfiles.h"
#include "playbacktimer.h"
#include "textrules.h"
#include "widgets.h"

#include <QAction>
#include <QScrollBar>

namespace {

constexpr qint64 tickMs = 10;
constexpr qint16 longestGap = 32767;

} // namespace

void Form1::countTicks()
{
    // Ticks are counted against the clock, so a busy moment that delays the timer
    // never shortens a gap: the ticks it missed are caught up here.
    const qint64 elapsed = (services_.clock->nowMs() - tickAnchorMs_) / tickMs;
    if (elapsed <= 0) {
        return;
    }
    tickAnchorMs_ += elapsed * tickMs;
    if (tickCounting_ == 0 && !connected()) {
        gapTicks_ = static_cast<qint16>(std::min<qint64>(longestGap, gapTicks_ + elapsed));
    }
}

void Form1::Timer1_Timer()
{
    countTicks();
    const bool online = connected();
    showRecordingPresence(!online && dataFilePresent(musicfiles::keyFileName), online);
}

void Form1::showRecordingPresence(bool keyFilePresent, bool connected)
{
    const QColor color = connected        ? QColor(192, 64, 0)
                         : keyFilePresent ? QColor(255, 0, 0)
                                          : QColor(0, 0, 128);
    if (shownLabel4Color_ != color) {
        shownLabel4Color_ = color;
        c_.Label4->setTextColor(color);
    }
    // While connected the delay bar keeps whatever it showed.
    if (!connected && c_.tdelay->isHidden() == keyFilePresent) {
        c_.tdelay->setVisible(keyFilePresent);
    }
}

void Form1::RecordKey(qint16 keyIndex)
{
    countTicks();
    tickCounting_ = 0;
    QString error;
    const bool written =
        DataFolder(services_.dataFolder).ensureExists(&error) &&
        musicfiles::appendEvent(dataFile(musicfiles::gapFileName),
                                dataFile(musicfiles::keyFileName), gapTicks_, keyIndex, &error);
    if (!written) {
        // Recording stops rather than failing again at every key.
        c_.mnuRecord->setChecked(false);
        StopPlayback();
        services_.desktop->showMessage(
            this, QStringLiteral("Cannot record: %1\nRecording is switched off.").arg(error));
        return;
    }
    setTitle(QStringLiteral("Recording:") + textrules::numberToText(gapTicks_) +
             textrules::numberToText(keyIndex));
    gapTicks_ = 0;
}

void Form1::StopPlayback()
{
    countTicks();
    playState_ = 50;
    playLine_ = 1;
    tickCounting_ = 100;
    c_.Timer2->setEnabled(false);
}

void Form1::mnuRecord_Click()
{
    if (c_.mnuRecord->isChecked()) {
        c_.mnuRecord->setChecked(false);
        StopPlayback();
    } else {
        c_.mnuRecord->setChecked(true);
    }
}
