#pragma once

#include "cli/DownloadOutput.h"
#include "link/PortTable.h"
#include "publish/PublishSettings.h"
#include "readings/AlarmLimits.h"

#include <QString>
#include <QStringList>

#include <optional>

// What powerclamp-cli's command line asks for. Parsing prints nothing and ends nothing, so
// main() decides where each text goes and with which exit status.
struct CliCommandLine {
    enum class Action { Run, PrintHelp, PrintVersion, Fail };
    enum class Command { None, Ports, Read, Watch, Download, Log };

    Action action = Action::Run;
    Command command = Command::None;
    // The help or version text for standard output, or the reason and a hint for standard error.
    QString text;
    PortDevices portDevices;
    bool json = false;  // read, watch
    QString outputPath; // download; "-" for standard output
    DownloadFormat outputFormat = DownloadFormat::RecordText;
    QString csvPattern; // log; empty without --csv
    // log: where the readings go besides the CSV, with --mqtt or --metrics.
    std::optional<PublishSettings> publish;
    std::vector<AlarmLimit> alarmLimits; // watch, log
};

// Exit statuses: a command line that cannot be used, and a failure while running.
constexpr int CliUsageError = 2;
constexpr int CliRunFailure = 1;

// arguments[0] is the program as it was started.
CliCommandLine parseCliCommandLine(const QStringList &arguments);
