#include "Version.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int UsageError = 2;

const char *const Usage =
    "Usage: powerclamp-cli COMMAND [options]\n"
    "Talks to a three-phase clamp power meter on a serial port, without a display.\n"
    "\n"
    "Commands:\n"
    "  ports                   list ports 1 to 16 and whether the meter answered there\n"
    "  read [--json]           print one realtime answer\n"
    "  watch [--json]          print every realtime answer until interrupted\n"
    "  download --output FILE  save the meter's records (.txt, .xls, .xlsx, .csv, - for stdout)\n"
    "  log --csv PATTERN       log every answer to a CSV file, for as long as it runs\n"
    "\n"
    "Options:\n"
    "  -h, --help              display this help and exit\n"
    "  -v, --version           output version information and exit\n";

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.contains(QStringLiteral("--help")) ||
        arguments.contains(QStringLiteral("-h"))) {
        std::fputs(Usage, arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? UsageError : 0;
    }
    if (arguments.contains(QStringLiteral("--version")) || arguments.contains(QStringLiteral("-v"))) {
        std::printf("powerclamp-cli %s\n", POWERCLAMP_VERSION);
        return 0;
    }
    std::fprintf(stderr, "powerclamp-cli: '%s' is not built yet\n", qPrintable(arguments.constFirst()));
    return 1;
}
