#include "outputformat.h"

#include <QFileInfo>

namespace outputformat {

std::optional<OutputFormat> forPath(const QString& path)
{
    const QString s = QFileInfo(path).suffix().toLower();
    if (s == u"mid" || s == u"midi") {
        return OutputFormat::Midi;
    }
    if (s == u"wav") {
        return OutputFormat::Wav;
    }
    if (s == u"flac") {
        return OutputFormat::Flac;
    }
    if (s == u"ogg" || s == u"oga") {
        return OutputFormat::Ogg;
    }
    return std::nullopt;
}

QString suffix(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Midi:
        return QStringLiteral("mid");
    case OutputFormat::Wav:
        return QStringLiteral("wav");
    case OutputFormat::Flac:
        return QStringLiteral("flac");
    case OutputFormat::Ogg:
        return QStringLiteral("ogg");
    }
    return {};
}

QString name(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Midi:
        return QStringLiteral("MIDI file");
    case OutputFormat::Wav:
        return QStringLiteral("WAV sound");
    case OutputFormat::Flac:
        return QStringLiteral("FLAC sound");
    case OutputFormat::Ogg:
        return QStringLiteral("Ogg Vorbis sound");
    }
    return {};
}

QString filter(OutputFormat format)
{
    const QString patterns = format == OutputFormat::Midi  ? QStringLiteral("*.mid *.midi")
                             : format == OutputFormat::Ogg ? QStringLiteral("*.ogg *.oga")
                                                           : QStringLiteral("*.") + suffix(format);
    return QStringLiteral("%1 (%2)").arg(name(format), patterns);
}

QString withSuffix(const QString& path, OutputFormat format)
{
    return forPath(path) ? path : path + u'.' + suffix(format);
}

} // namespace outputformat
