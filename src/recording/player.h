#pragma once

#include "playbacktimer.h"
#include "replayscript.h"

#include <QObject>
#include <QString>

class Clock;

// Replays the current recording of the data folder, one line at each tick of its
// timer (the window's Timer2), the wait before each line taken from its recorded gap,
// the delay factor and the time delay. It sounds nothing itself: it tells its owner
// each key to play, and when it stopped on its own. Its state lives as long as the
// program; a window restart only puts the timer back (windowStarted()).
class Player final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Player)

public:
    // playState: a loaded recording is being played, or the player is idle. Before
    // the first replay it is 0, which counts as idle.
    static constexpr qint16 playing = 100;
    static constexpr qint16 idle = 50;

    Player(const Clock& clock, QString dataFolder, QObject* parent = nullptr);

    // Replay: when a gap file exists, reads the recording afresh, switches the timer on
    // and plays on from the current line. A recording that read() refuses changes
    // nothing and is reported through refused().
    void replay();

    // One playback step. Does nothing unless playing and the gap file still exists.
    void step();

    // Idle, back to line 1, the timer off.
    void stop();

    // The timer off, all else kept; a later replay goes on from the current line.
    void switchTimerOff();

    // The window was (re)built: the timer is back as designed, off with interval 0, and
    // playing resumes at line 1. The state, the lines read and the delays are kept.
    void windowStarted();

    // The numbers the waits are made of; each applies from the next wait worked out.
    void setDelayFactor(double factor) { delayFactor_ = factor; }
    void setTimeDelay(qint16 ms) { timeDelay_ = ms; }

    struct Deletion
    {
        bool hadRecording = false; // false: there was no gap file and nothing was done
        QString error;             // a file that could not be deleted, as a sentence
    };

    // Deletes the recording, the gap file first, and goes idle. The timer and the
    // current line are left as they are; a running replay finds no gap file and stops
    // doing anything.
    [[nodiscard]] Deletion deleteRecording();

    [[nodiscard]] qint16 playState() const { return playState_; }
    [[nodiscard]] int playLine() const { return playLine_; }
    [[nodiscard]] int lineCount() const { return script_.lineCount(); }
    [[nodiscard]] double delayFactor() const { return delayFactor_; }
    [[nodiscard]] qint16 timeDelay() const { return timeDelay_; }
    [[nodiscard]] const PlaybackTimer& timer() const { return timer_; }

Q_SIGNALS:
    // Line `line` of `lineCount` plays key `keyIndex` (-1 sounds nothing); `interval` is
    // the timer's interval after the step, the wait before the next line.
    void stepped(qint16 keyIndex, int interval, int line, int lineCount);
    // The player stopped by itself and is idle: at the end of the recording
    // (stoppedAtLine 0), or before line `stoppedAtLine`, which it cannot play.
    void finished(int stoppedAtLine);
    // Replay refused the recording; `reason` is a sentence for the user.
    void refused(const QString& reason);

private:
    [[nodiscard]] bool gapFilePresent() const;
    void finish(int stoppedAtLine);

    QString dataFolder_;
    PlaybackTimer timer_;
    ReplayScript script_;
    qint16 playState_ = 0;
    int playLine_ = 1;
    double delayFactor_ = 0;
    qint16 timeDelay_ = 0;
};
