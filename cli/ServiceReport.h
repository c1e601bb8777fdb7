#pragma once

#include "cli/LinkMarks.h"

#include <QString>

#include <functional>

class ServiceNotifier;

// What an unattended log tells whoever looks after it: when the meter's link is lost and when it
// comes back, and what the log says about its file, one line each on standard error (a service's
// journal takes it), the same as the service manager's status line. Single answers are not told.
class ServiceReport {
public:
    using PrintLine = std::function<void(const QString &)>;

    ServiceReport(ServiceNotifier &notifier, PrintLine printLine);

    // The log runs: the service is ready, whether or not the meter is there yet.
    void started(const QString &pattern);
    // An answer came from the meter on `port` (1..16); told when it is the first, or the first
    // after a loss.
    void answered(int port);
    // A request went unanswered; told when the link was up.
    void lost();
    // What the log says about its file (a write that failed, rows written again).
    void say(const QString &line);
    void stopping();

private:
    void tell(const QString &line);

    ServiceNotifier &notifier;
    PrintLine printLine;
    LinkMarks marks;
    bool heard = false;
    int port = 0;
};
