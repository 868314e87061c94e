// The player: replay, the playback step, the time delay and deleting a recording.
#include "form1.h"

#include "desktop.h"
#include "musicfiles.h"
#include "playbacktimer.h"
#include "playinterval.h"
#include "textrules.h"
#include "widgets.h"

#include <QFile>
#include <QScrollBar>

void Form1::Label4_Click()
{
    if (!dataFilePresent(musicfiles::gapFileName)) {
        return;
    }
    c_.Timer2->setEnabled(true);
    LoadRecording();
}

void Form1::LoadRecording()
{
    const auto gaps = musicfiles::readLines(dataFile(musicfiles::gapFileName));
    lineCount_ = gaps ? static_cast<int>(gaps->size()) : 0;
    if (lineCount_ == 0) {
        // Nothing to play: an empty or vanished gap file stops the player.
        StopPlayback();
        return;
    }
    gapLines_ = *gaps;
    keyLines_ = musicfiles::readLines(dataFile(musicfiles::keyFileName)).value_or(QStringList());
    if (lineCount_ >= 2) {
        const auto gap = musicfiles::gapValue(gapLines_[1]);
        const qint64 interval = gap ? playinterval::firstInterval(*gap) : -1;
        if (!playinterval::fitsTimer(interval)) {
            stopAtDamagedLine(2);
            return;
        }
        c_.Timer2->setInterval(static_cast<int>(interval));
        c_.Timer2->setEnabled(true);
    }
    playState_ = 100;
}

void Form1::Timer2_Timer()
{
    if (!dataFilePresent(musicfiles::gapFileName) || playState_ != 100) {
        return;
    }
    // The wait before the next line; a line that cannot give one ends the replay
    // after the present line has played.
    const int next = playLine_ + 1;
    bool nextUnusable = false;
    if (next <= lineCount_) {
        const auto gap = musicfiles::gapValue(gapLines_[next - 1]);
        const qint64 interval = gap ? playinterval::stepInterval(
                                          *gap, textrules::leadingNumber(delayFactor_), timeDelay_)
                                    : -1;
        if (playinterval::fitsTimer(interval)) {
            c_.Timer2->setInterval(static_cast<int>(interval));
        } else {
            nextUnusable = true;
        }
    }

    const QString keyLine = playLine_ <= keyLines_.size() ? keyLines_[playLine_ - 1] : QString();
    const auto keyIndex = musicfiles::keyValue(keyLine);
    if (!keyIndex || *keyIndex < -1 || *keyIndex > 40) {
        stopAtDamagedLine(playLine_);
        return;
    }
    setTitle(QStringLiteral("Playing:") + textrules::numberToText(c_.Timer2->interval()) +
             textrules::numberToText(*keyIndex) + QStringLiteral("  Line:") +
             textrules::numberToText(playLine_) + QStringLiteral(" of ") +
             textrules::numberToText(lineCount_));

    if (connected()) {
        SendNoteText(keyLine);
    } else {
        PlayKey(*keyIndex);
        ReleaseKey(*keyIndex);
    }

    if (playLine_ >= lineCount_) {
        StopPlayback();
        setTitle(QStringLiteral("Quorvel Piano"));
    } else if (nextUnusable) {
        stopAtDamagedLine(next);
    } else {
        ++playLine_;
    }
}

void Form1::stopAtDamagedLine(int line)
{
    StopPlayback();
    setTitle(QStringLiteral("Quorvel Piano"));
    c_.instru->setText(QStringLiteral("Replay stopped at line %1").arg(line));
}

void Form1::tdelay_Change()
{
    timeDelay_ = static_cast<qint16>(c_.tdelay->value());
    c_.instru->setText(QStringLiteral("Time delay: %1").arg(c_.tdelay->value()));
}

void Form1::lblTitle_Click()
{
    if (!dataFilePresent(musicfiles::gapFileName)) {
        return;
    }
    QFile gap(dataFile(musicfiles::gapFileName));
    QFile key(dataFile(musicfiles::keyFileName));
    if (!gap.remove() || (key.exists() && !key.remove())) {
        services_.desktop->showMessage(
            this, QStringLiteral("Cannot delete the music data: %1")
                      .arg(gap.error() != QFile::NoError ? gap.errorString() : key.errorString()));
    }
    playState_ = 50;
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
