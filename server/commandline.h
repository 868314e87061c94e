#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

// What trelvane was asked to do by its command line.
struct CommandLine
{
    enum class Action {
        Run,
        ShowHelp,
        ShowVersion,
        Fail
    };

    Action action = Action::Run;
    QHostAddress address{QHostAddress::Any};
    quint16 port = 0;
    // The help or version text to print, or the error message for Fail.
    QString text;
};

// Reads the arguments of trelvane (the first is the program). Without options it
// listens on every interface on the shared-play port.
[[nodiscard]] CommandLine parseCommandLine(const QStringList& arguments);
