#include "cli/LogSession.h"

#include "cli/UnattendedLog.h"
#include "output/LogFormat.h"

void LogSession::answer(const QDateTime &time, const std::vector<ShownReading> &readings,
                        const std::vector<AlarmEvent> &alarms) {
    QByteArray rows = csvReadingRows(time, readings);
    int rowCount = int(readings.size() + alarms.size());
    for (const AlarmEvent &event : alarms)
        rows += csvAlarmRow(event);
    if (marks.answerRegains()) {
        rows.prepend(csvLinkRow(time, true));
        ++rowCount;
    }
    log.add({time, rows, rowCount, true});
}

void LogSession::linkLost(const QDateTime &time) {
    if (marks.lossIsNews())
        log.add({time, csvLinkRow(time, false), 1, false});
}
