#include "settingstexts.h"

#include "datafolder.h"
#include "settingsfile.h"
#include "textfile.h"
#include "textrules.h"

namespace settingstexts {

Texts inUse(qint16 channel, qint16 baseNote, const QString& delayFactor, const QString& delayMin,
            const QString& delayMax, const QString& delayDefault)
{
    return {QString::number(channel),
            QString::number(baseNote),
            QString::number(textrules::leadingNumber(delayFactor)),
            QString::number(textrules::leadingInt16(delayMin)),
            QString::number(textrules::leadingInt16(delayMax)),
            QString::number(textrules::leadingInt16(delayDefault))};
}

Texts shown(const QStringList& fileLines, const Texts& inUse)
{
    Texts texts;
    for (int i = 0; i < boxCount; ++i) {
        const QString& text = i < fileLines.size() ? fileLines.at(i) : inUse.at(i);
        texts.at(i) = text.trimmed();
    }
    return texts;
}

QStringList readFile(const QString& dataFolder)
{
    const DataFolder folder(dataFolder);
    const QString name = QString::fromLatin1(settingsFileName);
    if (!folder.present(name)) {
        return {};
    }
    return textfile::readLines(folder.file(name), boxCount).value_or(QStringList());
}

bool isNumeric(QStringView text)
{
    return textrules::wholeNumber(text).has_value();
}

QByteArray fileBytes(const Texts& texts)
{
    QByteArray bytes;
    for (const QString& text : texts) {
        bytes += textfile::toLatin1(text.trimmed()) + "\r\n";
    }
    return bytes;
}

bool save(const QString& dataFolder, const Texts& texts, QString* error)
{
    const DataFolder folder(dataFolder);
    return folder.ensureExists(error) &&
           textfile::writeAtomically(folder.file(QString::fromLatin1(settingsFileName)),
                                     fileBytes(texts), error);
}

} // namespace settingstexts
