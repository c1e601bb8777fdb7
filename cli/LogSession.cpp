#include "cli/LogSession.h"

#include "cli/UnattendedLog.h"
#include "measure/CsvRows.h"

void LogSession::answer(const QDateTime &time, const std::vector<ShownReading> &readings) {
    QByteArray rows = csvReadingRows(time, readings);
    int rowCount = int(readings.size());
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
