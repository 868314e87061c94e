// The recorder: the Record switch, the recorder tick and the replay label's colour.
#include "form1.h"

#include "desktop.h"
#include "textrules.h"
#include "widgets.h"

#include <QAction>
#include <QScrollBar>

void Form1::Timer1_Timer()
{
    const bool online = connected();
    recorder_.countTicks(online);
    showRecordingPresence(!online && recorder_.keyFilePresent(), online);
}

void Form1::showRecordingPresence(bool keyFilePresent, bool connected)
{
    // Compared with what the controls show, not with a remembered value: a restart
    // rebuilds them in their design state.
    const QColor color = connected        ? QColor(192, 64, 0)
                         : keyFilePresent ? QColor(255, 0, 0)
                                          : QColor(0, 0, 128);
    if (c_.Label4->textColor() != color) {
        c_.Label4->setTextColor(color);
    }
    // While connected the delay bar keeps whatever it showed.
    if (!connected && c_.tdelay->isHidden() == keyFilePresent) {
        c_.tdelay->setVisible(keyFilePresent);
    }
}

void Form1::RecordKey(qint16 keyIndex)
{
    const Recorder::Recorded recorded = recorder_.record(keyIndex);
    if (!recorded.written) {
        // Recording stops rather than failing again at every key.
        c_.mnuRecord->setChecked(false);
        StopPlayback();
        services_.desktop->showMessage(
            this,
            QStringLiteral("Cannot record: %1\nRecording is switched off.").arg(recorded.error));
        return;
    }
    setTitle(QStringLiteral("Recording:") + textrules::numberToText(recorded.gap) +
             textrules::numberToText(keyIndex));
}

void Form1::StopPlayback()
{
    player_.stop();
    recorder_.stopCounting(connected());
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
