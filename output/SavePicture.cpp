#include "output/SavePicture.h"

#include "output/SaveFile.h"

#include <QBuffer>
#include <QImage>

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
