#include "Version.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/QtPlatform.h"
#include "link/PortNames.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

#include <cstdio>

namespace {

// Prints what the command line asks for instead of the window; -1 when the window is to run.
int answerInstead(const CommandLine &commandLine) {
    switch (commandLine.action) {
    case CommandLine::Action::PrintHelp:
    case CommandLine::Action::PrintVersion:
        std::fputs(qPrintable(commandLine.text), stdout);
        return 0;
    case CommandLine::Action::Fail:
        std::fputs(qPrintable(commandLine.text), stderr);
        return CommandLineUsageError;
    case CommandLine::Action::RunWindow:
        break;
    }
    return -1;
}

QStringList argumentsAsGiven(int argc, char *argv[]) {
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[]) {
    // Help, version and unusable values are answered before the display is opened, so they work
    // without one. Qt's own options (-platform, -style...) are unknown here and wait for the
    // application to take them.
    if (const CommandLine early = parseCommandLine(argumentsAsGiven(argc, argv));
        early.action != CommandLine::Action::RunWindow && !early.mayBeForQt)
        return answerInstead(early);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("powerclamp"));
    QApplication::setApplicationVersion(QStringLiteral(POWERCLAMP_VERSION));
    // Desktops that match windows to their launcher by this name (Wayland) show the program's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(POWERCLAMP_APP_ID));

    const CommandLine commandLine = parseCommandLine(QApplication::arguments());
    if (const int status = answerInstead(commandLine); status >= 0)
        return status;
    const std::unique_ptr<PortNumbering> ports = portNumberingForThisRun(commandLine.portDevices);

    QtPlatform platform(*ports);
    Form1 window(platform);
    window.adjustSize();
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           window.screen()->availableGeometry()));
    window.show();
    return application.exec();
}
