#include "soundsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>

#include <array>

namespace soundsettings {
namespace {

struct OutputName
{
    SoundSettings::Output output;
    const char* name;
};

constexpr std::array<OutputName, 3> outputNames{{
    {SoundSettings::Output::Synthesiser, "synthesiser"},
    {SoundSettings::Output::Port, "port"},
    {SoundSettings::Output::Both, "both"},
}};

const auto keySoundFont = QStringLiteral("sound/soundFont");
const auto keyVolume = QStringLiteral("sound/volume");
const auto keyReverb = QStringLiteral("sound/reverb");
const auto keyChorus = QStringLiteral("sound/chorus");
const auto keyOutput = QStringLiteral("midi/output");
const auto keySystem = QStringLiteral("midi/system");
const auto keyInput = QStringLiteral("midi/input");

void readFlag(const QSettings& store, const QString& key, bool& flag)
{
    const QString text = store.value(key).toString().trimmed().toLower();
    if (text == u"true" || text == u"false") {
        flag = text == u"true";
    }
}

} // namespace

std::unique_ptr<QSettings> openUserStore()
{
    return std::make_unique<QSettings>(QStringLiteral("quorvel"), QStringLiteral("quorvel"));
}

SoundSettings read(QSettings& store)
{
    SoundSettings values;
    const QString font = store.value(keySoundFont).toString();
    if (!font.trimmed().isEmpty()) {
        values.soundFont = font;
    }
    bool ok = false;
    const int volume = store.value(keyVolume).toString().trimmed().toInt(&ok);
    if (ok && volume >= 0 && volume <= maxVolume) {
        values.volume = volume;
    }
    readFlag(store, keyReverb, values.reverb);
    readFlag(store, keyChorus, values.chorus);
    const QString output = store.value(keyOutput).toString().trimmed().toLower();
    for (const OutputName& o : outputNames) {
        if (output == QLatin1String(o.name)) {
            values.output = o.output;
        }
    }
    values.portSystem = store.value(keySystem).toString().trimmed().toLower();
    values.inputPort = store.value(keyInput).toString();
    return values;
}

bool write(QSettings& store, const SoundSettings& values, QString* error)
{
    store.setValue(keySoundFont, values.soundFont);
    store.setValue(keyVolume, values.volume);
    store.setValue(keyReverb, values.reverb);
    store.setValue(keyChorus, values.chorus);
    for (const OutputName& o : outputNames) {
        if (o.output == values.output) {
            store.setValue(keyOutput, QLatin1String(o.name));
        }
    }
    store.setValue(keySystem, values.portSystem);
    store.setValue(keyInput, values.inputPort);
    store.sync();
    if (store.status() == QSettings::NoError) {
        return true;
    }
    if (error) {
        *error = QStringLiteral("The file %1 could not be written.")
                     .arg(QDir::toNativeSeparators(store.fileName()));
    }
    return false;
}

QStringList soundFontFolders()
{
    return {QStringLiteral("/usr/share/sounds/sf2"), QStringLiteral("/usr/share/soundfonts"),
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                QStringLiteral("/sounds/sf2")};
}

QStringList installedSoundFonts(const QStringList& folders)
{
    QStringList fonts;
    QSet<QString> seen;
    for (const QString& folder : folders) {
        const QFileInfoList files =
            QDir(folder).entryInfoList({QStringLiteral("*.sf2"), QStringLiteral("*.sf3")},
                                       QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& file : files) {
            const QString target = file.canonicalFilePath();
            if (!seen.contains(target)) {
                seen.insert(target);
                fonts << file.absoluteFilePath();
            }
        }
    }
    return fonts;
}

} // namespace soundsettings

QString SoundSettings::defaultSoundFont()
{
    return QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
}
