#pragma once

#include "soundsettings.h"

#include <memory>

class QSettings;

// Where the player's sound and MIDI choices are kept between runs.
class SoundSettingsStore
{
public:
    virtual ~SoundSettingsStore() = default;

    // The choices kept; the defaults for what is not kept or not understood.
    [[nodiscard]] virtual SoundSettings load() = 0;

    // Keeps the choices; false, with a sentence for the user in `error`, when they
    // could not be written.
    virtual bool save(const SoundSettings& values, QString* error) = 0;
};

// The user's own settings file (~/.config/quorvel/quorvel.conf on Linux).
class UserSoundSettingsStore final : public SoundSettingsStore
{
public:
    UserSoundSettingsStore();
    ~UserSoundSettingsStore() override;
    Q_DISABLE_COPY_MOVE(UserSoundSettingsStore)

    [[nodiscard]] SoundSettings load() override;
    bool save(const SoundSettings& values, QString* error) override;

private:
    std::unique_ptr<QSettings> store_;
};
