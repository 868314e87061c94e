#include "player.h"

#include "datafolder.h"
#include "musicfiles.h"
#include "playinterval.h"

#include <QFile>

namespace {

const QString gapName = QString::fromLatin1(musicfiles::gapFileName);
const QString keyName = QString::fromLatin1(musicfiles::keyFileName);

} // namespace

Player::Player(const Clock& clock, QString dataFolder, QObject* parent)
    : QObject(parent)
    , dataFolder_(std::move(dataFolder))
    , timer_(clock, this)
{
    timer_.setObjectName(QStringLiteral("Timer2"));
    connect(&timer_, &PlaybackTimer::timeout, this, &Player::step);
}

bool Player::gapFilePresent() const
{
    return DataFolder(dataFolder_).present(gapName);
}

void Player::replay()
{
    if (!gapFilePresent()) {
        return;
    }
    const DataFolder folder(dataFolder_);
    QString error;
    auto script = ReplayScript::read(folder.file(gapName), folder.file(keyName), &error);
    if (!script) {
        Q_EMIT refused(error);
        return;
    }
    timer_.setEnabled(true);
    script_ = std::move(*script);
    if (script_.lineCount() == 0) {
        finish(0);
        return;
    }
    if (script_.lineCount() >= 2) {
        const auto wait = script_.firstWait();
        if (!wait || !playinterval::fitsTimer(*wait)) {
            finish(2);
            return;
        }
        timer_.setInterval(static_cast<int>(*wait));
        timer_.setEnabled(true);
    }
    playState_ = playing;
}

void Player::step()
{
    if (playState_ != playing || !gapFilePresent()) {
        return;
    }
    const int line = playLine_;
    if (line > script_.playableLines()) {
        finish(line); // a reload left the current line beyond what can be played
        return;
    }
    // The wait before the next line; a line that cannot give one, or cannot be
    // played, ends the replay once this line has played.
    const int next = line + 1;
    int stopBefore = 0;
    if (next <= script_.lineCount()) {
        const qint64 wait = next <= script_.playableLines()
                                ? script_.waitBefore(next, delayFactor_, timeDelay_)
                                : -1;
        if (playinterval::fitsTimer(wait)) {
            timer_.setInterval(static_cast<int>(wait));
        } else {
            stopBefore = next;
        }
    }
    Q_EMIT stepped(script_.key(line), timer_.interval(), line, script_.lineCount());
    if (playState_ != playing) {
        return; // the owner stopped the replay meanwhile
    }
    if (line >= script_.lineCount()) {
        finish(0);
    } else if (stopBefore != 0) {
        finish(stopBefore);
    } else {
        ++playLine_;
    }
}

void Player::finish(int stoppedAtLine)
{
    stop();
    Q_EMIT finished(stoppedAtLine);
}

void Player::stop()
{
    playState_ = idle;
    playLine_ = 1;
    timer_.setEnabled(false);
}

void Player::switchTimerOff()
{
    timer_.setEnabled(false);
}

void Player::windowStarted()
{
    timer_.setEnabled(false);
    timer_.setInterval(0);
    playLine_ = 1;
}

Player::Deletion Player::deleteRecording()
{
    if (!gapFilePresent()) {
        return {};
    }
    const DataFolder folder(dataFolder_);
    QFile gap(folder.file(gapName));
    QFile key(folder.file(keyName));
    Deletion deletion{true, {}};
    if (!gap.remove() || (key.exists() && !key.remove())) {
        deletion.error =
            QStringLiteral("Cannot delete the music data: %1")
                .arg(gap.error() != QFile::NoError ? gap.errorString() : key.errorString());
    }
    playState_ = idle;
    return deletion;
}
