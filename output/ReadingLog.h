#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// The reading log's file. Every append opens the file, writes and closes it, so each answer's
// rows are in the file when it returns, and a file that was removed, made read-only or filled
// up is noticed at the next answer instead of swallowing rows.
class ReadingLog {
public:
    // Opens `path` for appending, creating it when missing, and writes the header into a new or
    // empty file; a file that holds anything else must start with the header, and what it holds
    // is kept. Returns nothing and sets `failure` when the file is another file's or cannot be
    // written; a file this call created is then removed.
    static std::unique_ptr<ReadingLog> open(const QString &path, const QByteArray &header, QString &failure);

    // Appends all the rows to the file or none; returns why it could not, or an empty text.
    QString append(const QByteArray &rows, int rowCount);

    // Each append then waits until the rows are on the disk itself, so they outlive a power cut;
    // rows the disk did not take are taken back like those of any failed write.
    void setSyncedAppends(bool synced) { syncedAppends = synced; }

    QString path() const { return filePath; }
    // Rows appended since the log started.
    qint64 rows() const { return rowsWritten; }

private:
    explicit ReadingLog(const QString &path) : filePath(path) {}

    QString filePath;
    qint64 rowsWritten = 0;
    // A file that did not end its last line (a crash part way) gets a line end first, so the
    // first new row is not glued to the cut one.
    bool needsLineEnd = false;
    bool syncedAppends = false;
};
