#include "output/SaveFile.h"

#include "output/FileWrites.h"

#include <QSaveFile>

#include <cerrno>

QString saveBytes(const QString &path, const QByteArray &bytes) {
    if (path.isEmpty())
        return QStringLiteral("No file name was given.");
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failureReason(file, errno);
    QString failure = writeAll(file, bytes);
    if (failure.isEmpty())
        failure = syncToDisk(file);
    if (!failure.isEmpty())
        return failure; // the temporary file goes with `file`; the chosen one is untouched
    errno = 0;
    if (!file.commit())
        return failureReason(file, errno);
    return QString();
}
