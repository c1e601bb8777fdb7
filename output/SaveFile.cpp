#include "output/SaveFile.h"

#include "output/FileWrites.h"

#include <QBuffer>
#include <QImage>
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

QString saveJpeg(const QString &path, const QImage &picture) {
    if (picture.isNull())
        return QStringLiteral("The clipboard holds no picture.");
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    // The window is mostly text, which the default quality blurs.
    if (!picture.save(&buffer, "JPG", 90))
        return QStringLiteral("The picture cannot be converted to JPEG.");
    return saveBytes(path, jpeg);
}
