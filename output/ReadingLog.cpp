#include "output/ReadingLog.h"

#include "output/FileWrites.h"

#include <QFile>

#include <cerrno>

std::unique_ptr<ReadingLog> ReadingLog::open(const QString &path, const QByteArray &header,
                                             QString &failure) {
    if (path.isEmpty()) {
        failure = QStringLiteral("No file name was given.");
        return nullptr;
    }
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        failure = failureReason(file, errno);
        return nullptr;
    }
    std::unique_ptr<ReadingLog> log(new ReadingLog(path));
    if (file.size() == 0) {
        failure = writeAll(file, header);
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
    const QString failure = writeAll(file, needsLineEnd ? QByteArrayLiteral("\r\n") + rows : rows);
    if (!failure.isEmpty())
        return failure;
    needsLineEnd = false;
    rowsWritten += rowCount;
    return QString();
}
