#include "cli/CliCommandLine.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

QStringList argumentsAsGiven(int argc, char *argv[]) {
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[]) {
    const CliCommandLine commandLine = parseCliCommandLine(argumentsAsGiven(argc, argv));
    switch (commandLine.action) {
    case CliCommandLine::Action::PrintHelp:
    case CliCommandLine::Action::PrintVersion:
        std::fputs(qPrintable(commandLine.text), stdout);
        return 0;
    case CliCommandLine::Action::Fail:
        std::fputs(qPrintable(commandLine.text), stderr);
        return CliUsageError;
    case CliCommandLine::Action::Run:
        break;
    }
    QCoreApplication application(argc, argv);
    std::fputs("powerclamp-cli: the meter link is not wired in yet\n", stderr);
    return CliRunFailure;
}
