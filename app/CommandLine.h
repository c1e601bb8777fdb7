#pragma once

#include "link/PortTable.h"

#include <QString>
#include <QStringList>

// What the command line asks for. Parsing prints nothing and ends nothing, so main() decides
// where each text goes and with which exit status.
struct CommandLine {
    enum class Action { RunWindow, PrintHelp, PrintVersion, Fail };

    Action action = Action::RunWindow;
    // The help or version text for standard output, or the error for standard error.
    QString text;
    // Devices numbered with --port, by port number.
    PortDevices portDevices;
    // The failure may come from Qt's own options (-platform, -style...), which only the running
    // application takes; any other failure is certain before a display is opened.
    bool mayBeForQt = false;
};

// Exit status for a command line that cannot be used, as GNU programs use it.
constexpr int CommandLineUsageError = 2;

// arguments[0] is the program as it was started.
CommandLine parseCommandLine(const QStringList &arguments);
