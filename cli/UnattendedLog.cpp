#include "cli/UnattendedLog.h"

#include "cli/LogPattern.h"
#include "measure/CsvRows.h"

#include <QDir>

namespace {

// Nobody watches this log: each answer is on the disk before the next poll.
std::unique_ptr<ReadingLog> openLog(const QString &path, QString &failure) {
    std::unique_ptr<ReadingLog> log = ReadingLog::open(path, csvHeader(), failure);
    if (log)
        log->setSyncedAppends(true);
    return log;
}

} // namespace

UnattendedLog::UnattendedLog(const QString &pattern, Say say, size_t pendingBound)
    : pattern(pattern), say(std::move(say)), pendingBound(pendingBound) {}

QString UnattendedLog::start(const QDateTime &now) {
    const QString path = expandLogPattern(pattern, now);
    QString failure;
    log = openLog(path, failure);
    return log ? QString()
               : QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), failure);
}

void UnattendedLog::add(Entry entry) {
    writePending();
    if (waiting.size() >= pendingBound) {
        if (droppedSinceKept == 0)
            firstDroppedSinceKept = entry.time;
        if (entry.answer) {
            ++droppedSinceKept;
            ++dropped;
        }
        return;
    }
    waiting.push_back({std::move(entry), droppedSinceKept, firstDroppedSinceKept});
    droppedSinceKept = 0;
    writePending();
}

void UnattendedLog::writePending() {
    while (!waiting.empty()) {
        const QString failure = write(waiting.front());
        if (!failure.isEmpty()) {
            if (!failing)
                say(QStringLiteral("%1; the answers are kept in memory until it can be written again")
                        .arg(failure));
            failing = true;
            return;
        }
        waiting.pop_front();
    }
    if (failing)
        say(QStringLiteral("%1 is written again; the answers kept meanwhile are in it")
                .arg(QDir::toNativeSeparators(log->path())));
    failing = false;
}

void UnattendedLog::reopen() {
    log.reset();
}

QString UnattendedLog::write(const Waiting &waiting) {
    const Entry &entry = waiting.entry;
    QByteArray rows = entry.rows;
    int rowCount = entry.rowCount;
    if (waiting.droppedBefore > 0) {
        rows.prepend(csvDroppedRow(waiting.droppedFrom, waiting.droppedBefore));
        ++rowCount;
    }
    const QString path = expandLogPattern(pattern, entry.time);
    const QString failure = writeRows(path, rows, rowCount);
    if (failure.isEmpty() || !log)
        return failure;
    // The file may have been removed or replaced since the last row: begin it anew once.
    log.reset();
    if (!writeRows(path, rows, rowCount).isEmpty())
        return failure;
    say(QStringLiteral("%1 began anew after: %2").arg(QDir::toNativeSeparators(path), failure));
    return QString();
}

QString UnattendedLog::writeRows(const QString &path, const QByteArray &rows, int rowCount) {
    if (!log || log->path() != path) {
        QString failure;
        log = openLog(path, failure);
        if (!log)
            return QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), failure);
    }
    const QString failure = log->append(rows, rowCount);
    return failure.isEmpty()
               ? failure
               : QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), failure);
}
