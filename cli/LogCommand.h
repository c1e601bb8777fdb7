#pragma once

#include "cli/LinkMarks.h"
#include "cli/LogSession.h"
#include "cli/MeterCommand.h"
#include "cli/ServiceNotifier.h"
#include "cli/UnattendedLog.h"
#include "publish/PublishSettings.h"
#include "readings/AlarmMonitor.h"

#include <optional>

class ReadingsPublisher;

// `log`: every answer into the log's files, to an MQTT broker and to a metrics endpoint, any of
// them, for as long as it runs; it waits for a meter that is not there yet and finds it again
// after silence or unplugging. The link's losses and returns, alarms raised and cleared, the
// file's troubles and the broker's are said on the error output (the service's journal), single
// answers are not.
class LogCommand final : public MeterCommand {
    Q_OBJECT
public:
    // An empty pattern writes no CSV; without `publish` nothing goes to the network.
    LogCommand(LinkPlatform &platform, const Console &console, const QString &csvPattern,
               std::optional<PublishSettings> publish = std::nullopt,
               const std::vector<AlarmLimit> &alarmLimits = {},
               size_t pendingBound = UnattendedLog::DefaultPendingBound);
    ~LogCommand() override;

    void start() override;
    // What waits in memory gets one more chance at the file, and what waits for the broker is
    // sent (a few seconds at most) before it ends.
    void end() override;
    // SIGHUP: the next rows go into the file opened anew.
    void reopen();

    // The CSV log; nothing without one.
    const UnattendedLog *unattendedLog() const;

private:
    bool givesUpWithoutMeter() const override { return false; }
    // Opens the CSV and the metrics endpoint; why one cannot be used, or an empty text.
    QString startOutputs();
    void takeAnswer(const ShownBlocks &blocks);
    void takeLinkLost();
    // While answers wait in memory, the file is tried again on every poll, answer or not.
    void retryWhilePending();
    // Said on the error output and shown as the service's status.
    void tell(const QString &line);
    // What the service's status names once the outputs are open.
    QString outputsText() const;

    ServiceNotifier service;
    QString csvPattern;
    struct CsvLog;
    std::unique_ptr<CsvLog> csv;
    std::unique_ptr<ReadingsPublisher> publisher;
    LinkMarks told;
    AlarmMonitor alarms;
    std::unique_ptr<TimerControl> retry;
    bool ending = false;
};
