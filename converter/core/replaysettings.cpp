#include "replaysettings.h"

#include "datafolder.h"
#include "settingsfile.h"
#include "textrules.h"

ReplaySettings ReplaySettings::fromValues(const SettingsValues& values)
{
    ReplaySettings settings;
    settings.channel = values.channel;
    settings.baseNote = values.baseNote;
    settings.delayFactor = textrules::leadingNumber(values.delayFactor);
    settings.timeDelay = delayBar(values).value;
    settings.fromFile = true;
    return settings;
}

std::optional<ReplaySettings> ReplaySettings::read(const DataFolder& folder, QString* error)
{
    if (!folder.present(QString::fromLatin1(settingsFileName))) {
        return ReplaySettings{};
    }
    const QString path = folder.file(QString::fromLatin1(settingsFileName));
    SettingsValues values;
    if (!readSettingsFile(path, values)) {
        if (error) {
            *error = QStringLiteral("Cannot read the settings file %1.").arg(path);
        }
        return std::nullopt;
    }
    return fromValues(values);
}
