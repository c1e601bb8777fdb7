#include "cli/CliCommandLine.h"
#include "cli/DownloadCommand.h"
#include "cli/LogCommand.h"
#include "cli/PortsCommand.h"
#include "cli/ProcessSignals.h"
#include "cli/ReadingCommands.h"
#include "link/PortNames.h"
#include "link/QtLinkPlatform.h"

#include <QCoreApplication>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

QStringList argumentsAsGiven(int argc, char *argv[]) {
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}

bool standardErrorIsTerminal() {
#ifdef Q_OS_UNIX
    return ::isatty(STDERR_FILENO) == 1;
#else
    return false;
#endif
}

std::unique_ptr<CliCommand> commandFor(const CliCommandLine &commandLine, QtLinkPlatform &platform,
                                       PortNumbering &numbering, const Console &console) {
    switch (commandLine.command) {
    case CliCommandLine::Command::Ports:
        return std::make_unique<PortsCommand>(platform, console,
                                              [&numbering](int port) { return numbering.device(port); });
    case CliCommandLine::Command::Read:
        return std::make_unique<ReadCommand>(platform, console, commandLine.json);
    case CliCommandLine::Command::Watch:
        return std::make_unique<WatchCommand>(platform, console, commandLine.json, commandLine.alarmLimits);
    case CliCommandLine::Command::Download:
        return std::make_unique<DownloadCommand>(platform, console, commandLine.outputPath,
                                                 commandLine.outputFormat);
    case CliCommandLine::Command::Log:
        return std::make_unique<LogCommand>(platform, console, commandLine.csvPattern, commandLine.publish,
                                            commandLine.alarmLimits);
    case CliCommandLine::Command::None:
        break;
    }
    return nullptr;
}

} // namespace

int main(int argc, char *argv[]) {
    const CliCommandLine commandLine = parseCliCommandLine(argumentsAsGiven(argc, argv));
    switch (commandLine.action) {
    case CliCommandLine::Action::PrintHelp:
    case CliCommandLine::Action::PrintVersion:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stdout);
        return 0;
    case CliCommandLine::Action::Fail:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stderr);
        return CliUsageError;
    case CliCommandLine::Action::Run:
        break;
    }

    QCoreApplication application(argc, argv);
    const std::unique_ptr<PortNumbering> numbering = portNumberingForThisRun(commandLine.portDevices);
    QtLinkPlatform platform(*numbering);
    Console console;
    console.errIsTerminal = standardErrorIsTerminal();
    const std::unique_ptr<CliCommand> command = commandFor(commandLine, platform, *numbering, console);

    ProcessSignals signalWatcher;
    QObject::connect(&signalWatcher, &ProcessSignals::endRequested, command.get(), &CliCommand::end);
    if (auto *log = qobject_cast<LogCommand *>(command.get()))
        QObject::connect(&signalWatcher, &ProcessSignals::reopenRequested, log, &LogCommand::reopen);
    QObject::connect(command.get(), &CliCommand::finished, &application, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    command->start();
    return application.exec();
}
