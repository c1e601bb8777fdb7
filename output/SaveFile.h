#pragma once

#include <QByteArray>
#include <QString>

// Returns why the file could not be saved, or an empty text when it was. The file is replaced
// only once it is complete: a failed save leaves no partial file and an existing one as it was.
QString saveBytes(const QString &path, const QByteArray &bytes);
