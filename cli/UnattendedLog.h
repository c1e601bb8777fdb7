#pragma once

#include "output/ReadingLog.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

// The reading log of a program nobody watches. Rows go into the file the pattern names for their
// time, a new file beginning when that name changes. A write that fails does not end the log:
// it is said once, and the rows wait in memory, in order, until the file can be written again.
// Past the bound, later answers are dropped and counted, and a row in the file says how many.
class UnattendedLog {
public:
    // More than three hours of answers at one every 1.5 s.
    static constexpr size_t DefaultPendingBound = 8000;

    struct Entry {
        QDateTime time;
        QByteArray rows; // whole CSV rows
        int rowCount = 0;
        bool answer = true; // an answer's readings, or a mark of the link
    };
    using Say = std::function<void(const QString &)>;

    UnattendedLog(const QString &pattern, Say say, size_t pendingBound = DefaultPendingBound);

    // Opens the file for `now`; returns why it cannot be written, or an empty text. A log that
    // cannot start is a failure of the program, not a spell to wait out.
    QString start(const QDateTime &now);

    // Writes what waits and then this entry, or keeps them for later.
    void add(Entry entry);
    // Writes what waits, if the file can be written now; call it now and then while pending() is
    // not zero.
    void writePending();
    // The file may have been moved away (log rotation): open it anew before the next row, with
    // the header when it is new or empty.
    void reopen();

    size_t pending() const { return waiting.size(); }
    qint64 droppedAnswers() const { return dropped; }

private:
    struct Waiting {
        Entry entry;
        // Answers dropped just before this entry, from droppedFrom on: a row ahead of it says so.
        qint64 droppedBefore = 0;
        QDateTime droppedFrom;
    };
    QString write(const Waiting &waiting);
    QString writeRows(const QString &path, const QByteArray &rows, int rowCount);

    QString pattern;
    Say say;
    size_t pendingBound;
    std::unique_ptr<ReadingLog> log;
    std::deque<Waiting> waiting;
    qint64 dropped = 0;          // in all
    qint64 droppedSinceKept = 0; // since the last entry kept
    QDateTime firstDroppedSinceKept;
    bool failing = false;
};
