#include "output/ReadingLog.h"

#include "output/FileWrites.h"

#include <QFile>

#include <cerrno>

namespace {

// Writes all of `bytes` at the end of the file, or nothing: a row cut by a full disk would read
// as another value ("276" cut to "27"), so what a failed write stored is taken back.
QString appendWhole(QFile &file, const QByteArray &bytes, bool synced = false) {
    const qint64 sizeBefore = file.size();
    QString failure = writeAll(file, bytes);
    if (failure.isEmpty() && synced)
        failure = syncToDisk(file);
    if (!failure.isEmpty())
        file.resize(sizeBefore);
    return failure;
}

} // namespace

std::unique_ptr<ReadingLog> ReadingLog::open(const QString &path, const QByteArray &header,
                                             QString &failure) {
    if (path.isEmpty()) {
        failure = QStringLiteral("No file name was given.");
        return nullptr;
    }
    QFile file(path);
    const bool created = !file.exists();
    errno = 0;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        failure = failureReason(file, errno);
        return nullptr;
    }
    std::unique_ptr<ReadingLog> log(new ReadingLog(path));
    if (file.size() == 0) {
        failure = appendWhole(file, header);
        if (!failure.isEmpty() && created)
            file.remove();
    } else if (!file.seek(0) || file.read(header.size()) != header) {
        // Rows added to another file would mix columns it does not have into its own.
        failure = QStringLiteral("It is not a reading log: a log is only added to a file whose first "
                                 "line is the log's header. The file was left as it was.");
    } else if (file.seek(file.size() - 1)) {
        log->needsLineEnd = file.read(1) != "\n";
    }
    return failure.isEmpty() ? std::move(log) : nullptr;
}

QString ReadingLog::append(const QByteArray &rows, int rowCount) {
    QFile file(filePath);
    errno = 0;
    // ExistingOnly: a log file that was removed is a failure, not a new file without the rows so far.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly |
                   QIODevice::Unbuffered))
        return failureReason(file, errno);
    const QString failure =
        appendWhole(file, needsLineEnd ? QByteArrayLiteral("\r\n") + rows : rows, syncedAppends);
    if (!failure.isEmpty())
        return failure;
    needsLineEnd = false;
    rowsWritten += rowCount;
    return QString();
}
