#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

// Checked writes for every file the program writes. Each returns why it failed, in the
// system's own words, or an empty text when it succeeded.

// Writes all of `bytes`; a short write is retried, so a full disk is reported, not a cut file.
// Open the file Unbuffered: buffered bytes would fail only at the flush, which Qt 6.4's
// QSaveFile::commit() ignores.
QString writeAll(QFileDevice &file, const QByteArray &bytes);

// Makes the written bytes durable before the file replaces another one.
QString syncToDisk(QFileDevice &file);

// The reason a file operation failed: Qt's text, or the system's error number when Qt has none.
QString failureReason(const QFileDevice &file, int systemError);
