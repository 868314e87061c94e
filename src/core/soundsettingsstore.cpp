#include "soundsettingsstore.h"

#include <QSettings>

UserSoundSettingsStore::UserSoundSettingsStore()
    : store_(soundsettings::openUserStore())
{}

UserSoundSettingsStore::~UserSoundSettingsStore() = default;

SoundSettings UserSoundSettingsStore::load()
{
    // Another copy of the piano may have written the file since.
    store_->sync();
    return soundsettings::read(*store_);
}

bool UserSoundSettingsStore::save(const SoundSettings& values, QString* error)
{
    return soundsettings::write(*store_, values, error);
}
