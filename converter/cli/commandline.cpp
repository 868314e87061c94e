#include "commandline.h"

#include "conversionsave.h"
#include "datafolder.h"
#include "midiconversion.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

namespace commandline {
namespace {

const QString program = QStringLiteral("kestrune");

Request refusal(const QString& why)
{
    return {Action::refuse, why, {}, OutputFormat::Midi, 0, {}};
}

QString suffixList(const QList<OutputFormat>& formats)
{
    QStringList suffixes;
    for (const OutputFormat f : formats) {
        suffixes.append(u'.' + outputformat::suffix(f));
    }
    return suffixes.join(QStringLiteral(", "));
}

} // namespace

Request parse(const QStringList& arguments, const QList<OutputFormat>& audioFormats)
{
    QList<OutputFormat> writable{OutputFormat::Midi};
    writable.append(audioFormats);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Turns the Quorvel Piano's current recording (piano.ini and pianon.ini in "
                       "its data folder) into a Standard MIDI File or a sound file.\n"
                       "Without options it opens its window. With --output it writes the file "
                       "without a window and exits with 0 when the file was written, 1 when "
                       "nothing was written (the recording was refused or the file could not be "
                       "written), 2 when the arguments were not understood."));
    // Options of its own rather than Qt's, which would offer Qt's window options too.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the recording to <file>; its suffix chooses the format: %1.")
            .arg(suffixList(writable)),
        QStringLiteral("file"));
    const QCommandLineOption instrument(
        {QStringLiteral("i"), QStringLiteral("instrument")},
        QStringLiteral("The General MIDI instrument, 0 to 127 (default 0, the grand piano)."),
        QStringLiteral("number"), QStringLiteral("0"));
    const QCommandLineOption folder(
        {QStringLiteral("f"), QStringLiteral("folder")},
        QStringLiteral("Read the recording and settings from <folder> (default %1).")
            .arg(QDir::toNativeSeparators(DataFolder::defaultRoot())),
        QStringLiteral("folder"));
    parser.addOptions({help, version, output, instrument, folder});

    if (!parser.parse(arguments)) {
        return refusal(parser.errorText());
    }
    if (parser.isSet(help)) {
        // The parser names the program only when an application object exists.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), program);
        return {Action::showHelp, text, {}, OutputFormat::Midi, 0, {}};
    }
    if (parser.isSet(version)) {
        return {Action::showVersion,
                QStringLiteral("%1 %2.%3.%4\n")
                    .arg(program)
                    .arg(QUORVEL_VERSION_MAJOR)
                    .arg(QUORVEL_VERSION_MINOR)
                    .arg(QUORVEL_VERSION_PATCH),
                {},
                OutputFormat::Midi,
                0,
                {}};
    }
    if (!parser.positionalArguments().isEmpty()) {
        return refusal(QStringLiteral("Unexpected argument '%1'; the file to write follows "
                                      "--output.")
                           .arg(parser.positionalArguments().constFirst()));
    }

    Request request;
    request.folder = parser.value(folder);
    if (parser.isSet(folder) && request.folder.isEmpty()) {
        return refusal(QStringLiteral("The data folder after --folder is empty."));
    }
    if (!parser.isSet(output)) {
        if (parser.isSet(instrument)) {
            return refusal(QStringLiteral("--instrument needs --output: the window has its own "
                                          "choice of instrument."));
        }
        return request; // the window, on the folder given or the piano's own
    }

    bool isNumber = false;
    request.instrument = parser.value(instrument).toInt(&isNumber);
    if (!isNumber || request.instrument < 0 || request.instrument > 127) {
        return refusal(QStringLiteral("The instrument must be a whole number from 0 to 127, "
                                      "not '%1'.")
                           .arg(parser.value(instrument)));
    }
    request.output = parser.value(output);
    const auto format = outputformat::forPath(request.output);
    if (!format) {
        return refusal(QStringLiteral("Cannot tell the format of '%1' from its suffix; "
                                      "use %2.")
                           .arg(request.output, suffixList(writable)));
    }
    if (!writable.contains(*format)) {
        return refusal(QStringLiteral("This build of FluidSynth cannot write %1 files; "
                                      "use %2.")
                           .arg(outputformat::name(*format), suffixList(writable)));
    }
    request.format = *format;
    request.action = Action::convert;
    return request;
}

int convert(const Request& request, QTextStream& out, QTextStream& err)
{
    const QString folder = request.folder.isEmpty() ? DataFolder::defaultRoot() : request.folder;
    const MidiConversion conversion = MidiConversion::load(folder);
    if (!conversion.ok()) {
        err << program << ": " << conversion.error() << Qt::endl;
        return refused;
    }
    const QString error =
        saveConversion(conversion, request.instrument, request.format, request.output);
    if (!error.isEmpty()) {
        err << program << ": " << error << Qt::endl;
        return refused;
    }
    out << QStringLiteral("Saved to %1.").arg(QDir::toNativeSeparators(request.output)) << Qt::endl;
    return written;
}

} // namespace commandline
