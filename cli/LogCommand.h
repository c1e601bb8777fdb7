#pragma once

#include "cli/LinkMarks.h"
#include "cli/LogSession.h"
#include "cli/MeterCommand.h"
#include "cli/ServiceNotifier.h"
#include "cli/UnattendedLog.h"

// `log`: every answer into the log's files for as long as it runs; it waits for a meter that is
// not there yet and finds it again after silence or unplugging. The link's losses and returns
// and the file's troubles are said on the error output (the service's journal), single answers
// are not.
class LogCommand final : public MeterCommand {
    Q_OBJECT
public:
    LogCommand(LinkPlatform &platform, const Console &console, const QString &pattern,
               size_t pendingBound = UnattendedLog::DefaultPendingBound);
    ~LogCommand() override;

    void start() override;
    // What waits in memory gets one more chance at the file.
    void end() override;
    // SIGHUP: the next rows go into the file opened anew.
    void reopen() { log.reopen(); }

    const UnattendedLog &unattendedLog() const { return log; }

private:
    bool givesUpWithoutMeter() const override { return false; }
    // Said on the error output and shown as the service's status.
    void tell(const QString &line);

    ServiceNotifier service;
    QString pattern;
    UnattendedLog log;
    LogSession session{log};
    LinkMarks told;
    // While answers wait in memory, the file is tried again on every poll, answer or not.
    std::unique_ptr<TimerControl> retry;
};
