// The player: replay, the playback step, the time delay and deleting a recording.
#include "form1.h"

#include "desktop.h"
#include "textrules.h"
#include "widgets.h"

#include <QScrollBar>

void Form1::connectPlayer()
{
    connect(&player_, &Player::stepped, this, &Form1::playerStepped);
    connect(&player_, &Player::finished, this, &Form1::playerFinished);
    connect(&player_, &Player::refused, this, [this](const QString& reason) {
        services_.desktop->showMessage(this,
                                       QStringLiteral("Cannot replay the music data. ") + reason);
    });
}

void Form1::Label4_Click()
{
    player_.replay();
}

void Form1::Timer2_Timer()
{
    player_.step();
}

void Form1::playerStepped(qint16 keyIndex, int interval, int line, int lineCount)
{
    setTitle(QStringLiteral("Playing:") + textrules::numberToText(interval) +
             textrules::numberToText(keyIndex) + QStringLiteral("  Line:") +
             textrules::numberToText(line) + QStringLiteral(" of ") +
             textrules::numberToText(lineCount));
    if (connected()) {
        SendNote(keyIndex);
    } else {
        PlayKey(keyIndex);
        ReleaseKey(keyIndex);
    }
}

void Form1::playerFinished(int stoppedAtLine)
{
    // The end of a replay stops the recorder's counter as StopPlayback does.
    recorder_.stopCounting(connected());
    setTitle(QStringLiteral("Quorvel Piano"));
    if (stoppedAtLine > 0) {
        c_.instru->setText(QStringLiteral("Replay stopped at line %1").arg(stoppedAtLine));
    }
}

void Form1::tdelay_Change()
{
    player_.setTimeDelay(static_cast<qint16>(c_.tdelay->value()));
    c_.instru->setText(QStringLiteral("Time delay: %1").arg(c_.tdelay->value()));
}

void Form1::lblTitle_Click()
{
    const Player::Deletion deletion = player_.deleteRecording();
    if (!deletion.hadRecording) {
        return;
    }
    if (!deletion.error.isEmpty()) {
        services_.desktop->showMessage(this, deletion.error);
    }
    setTitle(QStringLiteral("Quorvel Piano"));
}

void Form1::Label4_MouseMove()
{
    QFont font = c_.Label4->font();
    font.setPointSizeF(12);
    c_.Label4->setFont(font);
}

void Form1::lblTitle_MouseMove()
{
    Frame1_MouseMove();
}
