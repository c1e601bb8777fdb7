#pragma once

#include "cli/LinkMarks.h"
#include "cli/MeterCommand.h"
#include "readings/AlarmMonitor.h"

// `read`: one realtime answer, as a line of text or JSON; a meter that stops answering before
// it gives one is a failure.
class ReadCommand final : public MeterCommand {
    Q_OBJECT
public:
    ReadCommand(LinkPlatform &platform, const Console &console, bool json);

private:
    bool json;
};

// `watch`: every realtime answer, a line when the link is lost and when it comes back, and a line
// when an alarm is raised or cleared, until ended. It waits for a meter that is not there yet.
class WatchCommand final : public MeterCommand {
    Q_OBJECT
public:
    WatchCommand(LinkPlatform &platform, const Console &console, bool json,
                 const std::vector<AlarmLimit> &alarmLimits = {});

private:
    bool givesUpWithoutMeter() const override { return false; }
    void show(const QByteArray &line);

    bool json;
    LinkMarks marks;
    AlarmMonitor alarms;
};
