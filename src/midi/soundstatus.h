#pragma once

#include <QObject>
#include <QString>

// What a sound-producing MIDI output tells about the sound it makes: which driver
// plays, with how much latency, and why nothing plays when nothing does. The window
// reads it at start-up and again whenever it changes.
struct SoundState
{
    bool sounding = false; // an audio output runs and takes the samples
    QString driver;        // "pulseaudio", "alsa", ...; empty while none runs
    double latencyMs = 0;  // from a note being rendered to its first sample playing
    QString detail;        // how that latency is made up, or why nothing sounds

    friend bool operator==(const SoundState&, const SoundState&) = default;
};

class SoundStatus : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    [[nodiscard]] virtual SoundState soundState() const = 0;

Q_SIGNALS:
    // Emitted from any thread; connect with a context object to receive it on yours.
    void soundStateChanged();
};
