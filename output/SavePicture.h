#pragma once

#include <QString>

class QImage;

// Saves the picture as a JPEG file the way saveBytes saves bytes: whole or not at all. Returns
// why it could not, or an empty text.
QString saveJpeg(const QString &path, const QImage &picture);
