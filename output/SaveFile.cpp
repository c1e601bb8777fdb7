#include "output/SaveFile.h"

#include <QBuffer>
#include <QImage>
#include <QSaveFile>

QString saveBytes(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
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
