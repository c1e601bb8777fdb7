#pragma once

#include "cli/LinkMarks.h"
#include "measure/ShownReadings.h"
#include "readings/AlarmMonitor.h"

#include <QDateTime>

class UnattendedLog;

// `log`: every answer's readings, the alarms it raised or cleared, and every loss and return of
// the link go into the log, row for row as the window's log writes them.
class LogSession {
public:
    explicit LogSession(UnattendedLog &log) : log(log) {}

    void answer(const QDateTime &time, const std::vector<ShownReading> &readings,
                const std::vector<AlarmEvent> &alarms = {});
    void linkLost(const QDateTime &time);

private:
    UnattendedLog &log;
    LinkMarks marks;
};
