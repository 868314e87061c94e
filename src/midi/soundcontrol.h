#pragma once

#include <QString>

// What the player can change of the embedded synthesiser while it plays. Every change
// is heard at once.
class SoundControl
{
public:
    virtual ~SoundControl() = default;

    // Plays from now on with the SoundFont at `path`. Empty when it plays; otherwise
    // why it was refused, for the user, and the SoundFont in use plays on.
    [[nodiscard]] virtual QString loadSoundFont(const QString& path) = 0;

    // The SoundFont in use.
    [[nodiscard]] virtual QString soundFont() const = 0;

    // 1.0 is full volume.
    virtual void setGain(double gain) = 0;
    virtual void setReverb(bool on) = 0;
    virtual void setChorus(bool on) = 0;
};
