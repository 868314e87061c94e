#pragma once

#include "outputformat.h"

#include <QList>
#include <QString>
#include <QStringList>

class QTextStream;

// kestrune's command line: with no options it opens its window (so the piano starts it);
// with --output it converts the recording without any window or display.
namespace commandline {

// What the process exits with after a conversion from the command line.
enum ExitCode : int {
    written = 0,      // the file was written
    refused = 1,      // nothing was written: the recording was refused, or the file failed
    badArguments = 2, // the command line was not understood; nothing was read
};

enum class Action {
    openWindow,
    showHelp,
    showVersion,
    convert,
    refuse, // bad arguments: `text` says why
};

struct Request
{
    Action action = Action::openWindow;
    QString text;   // the help, the version, or why the arguments were refused
    QString output; // convert: the file to write
    OutputFormat format = OutputFormat::Midi;
    int instrument = 0;
    QString folder; // the data folder; empty: the piano's own
};

// Reads `arguments` (the program's name first). `audioFormats` are the sound formats
// this build can write; a sound file of another format is refused with a sentence
// naming the formats there are.
[[nodiscard]] Request parse(const QStringList& arguments, const QList<OutputFormat>& audioFormats);

// Carries out a convert request: reads the recording of the request's folder and writes
// the file. Tells on `out` where the file went, on `err` why nothing was written, with
// the same sentences as the window. Returns the exit code.
[[nodiscard]] int convert(const Request& request, QTextStream& out, QTextStream& err);

} // namespace commandline
