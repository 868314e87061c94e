#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The piano's command line: --help, --version and --soundfont FILE (this run only),
// beside the options every Qt program takes (-platform, -style, ...), which are left
// for the application object.
namespace pianocommandline {

struct Outcome
{
    // Set when the program is to end at once with this code, after writing `text`
    // (to standard output for code 0, to standard error otherwise).
    std::optional<int> exitCode;
    QString text;
    QString soundFont; // absolute; empty when the settings' one is to be used
};

// Reads `arguments` (the program's name first). Needs a QCoreApplication, but no
// display: main() can answer --help and --version before any window system is up.
[[nodiscard]] Outcome parse(const QStringList& arguments);

} // namespace pianocommandline
