// The log of a program nobody watches: rows in the file their time names, and writes that fail
// under a real file size limit, a removed file and log rotation, with every answer in the file
// exactly once, in order, whole.
#include "cli/LogSession.h"
#include "cli/UnattendedLog.h"
#include "measure/CsvRows.h"
#include "support/FailingDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime Start(QDate(2026, 12, 10), QTime(23, 58), Qt::OffsetFromUTC, 3600);
const QByteArray Header = "time,item,value,unit,base_value,base_unit\r\n";

// Answer n: two readings whose value is n, 1.5 s after answer n - 1.
UnattendedLog::Entry answer(int n) {
    const QDateTime time = Start.addMSecs(1500LL * n);
    const QString value = QString::number(n);
    return {time, csvReadingRows(time, {{"U1", value, "V"}, {"I1", value, "A"}}), 2, true};
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The numbers of the answers in the files, in file order, each once per row pair.
QList<int> answersIn(const QStringList &paths) {
    QList<int> numbers;
    for (const QString &path : paths) {
        const QList<QByteArray> lines = readAll(path).split('\n');
        for (const QByteArray &line : lines)
            if (line.contains(",U1,"))
                numbers << line.split(',').at(2).toInt();
    }
    return numbers;
}

QList<int> upTo(int count) {
    QList<int> numbers;
    for (int n = 0; n < count; ++n)
        numbers << n;
    return numbers;
}

struct Said {
    QStringList lines;
    UnattendedLog::Say say() {
        return [this](const QString &line) { lines << line; };
    }
};

} // namespace

class UnattendedLogTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(folder.isValid()); }
    void aNewFileWhenTheNameChanges();
    void startFailsOnAFileThatCannotBeWritten();
    void writeFailureSpellUnderAFileSizeLimit();
    void pastTheBoundAnswersAreCounted();
    void removedFileBeginsAnew();
    void reopenAfterRotation();
    void linkRowsAsTheWindowWritesThem();

private:
    QTemporaryDir folder;
};

void UnattendedLogTest::aNewFileWhenTheNameChanges() {
    Said said;
    UnattendedLog log(folder.filePath(QStringLiteral("readings-%Y-%m-%d-%H.csv")), said.say());
    QCOMPARE(log.start(Start), QString());
    // 23:58 to 00:02:30: two hours, two days.
    for (int n = 0; n < 180; ++n)
        log.add(answer(n));
    const QString late = folder.filePath(QStringLiteral("readings-2026-12-10-23.csv"));
    const QString early = folder.filePath(QStringLiteral("readings-2026-12-11-00.csv"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
             (QStringList{QFileInfo(late).fileName(), QFileInfo(early).fileName()}));
    QVERIFY(readAll(late).startsWith(Header));
    QVERIFY(readAll(early).startsWith(Header));
    QCOMPARE(answersIn({late}), upTo(80)); // 23:58:00 to 23:59:58.5
    QCOMPARE(answersIn({late, early}), upTo(180));
    QCOMPARE(log.pending(), size_t(0));
    QCOMPARE(said.lines, QStringList());
}

void UnattendedLogTest::startFailsOnAFileThatCannotBeWritten() {
    Said said;
    UnattendedLog missing(folder.filePath(QStringLiteral("no/such/folder/%Y.csv")), said.say());
    QVERIFY(!missing.start(Start).isEmpty());

    const QString other = folder.filePath(QStringLiteral("notes.csv"));
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("a,b\r\n1,2\r\n") > 0);
    file.close();
    UnattendedLog notALog(other, said.say());
    QVERIFY(notALog.start(Start).contains(QStringLiteral("not a reading log")));
    QCOMPARE(readAll(other), QByteArray("a,b\r\n1,2\r\n"));
}

// The disk refuses writes for a while: said once, kept in memory, then written in order, whole.
void UnattendedLogTest::writeFailureSpellUnderAFileSizeLimit() {
    Said said;
    const QString path = folder.filePath(QStringLiteral("readings.csv"));
    UnattendedLog log(path, said.say());
    QCOMPARE(log.start(Start), QString());
    for (int n = 0; n < 10; ++n)
        log.add(answer(n));
    const qint64 sizeBefore = QFileInfo(path).size();
    {
        // Room for one row and a half: the first answer of the spell (two rows) would be cut.
        const qint64 rowSize = answer(10).rows.size() / 2;
        FileSizeLimit limit(sizeBefore + rowSize * 3 / 2);
        for (int n = 10; n < 40; ++n)
            log.add(answer(n));
        log.writePending();
    }
    QCOMPARE(said.lines.size(), 1);
    QVERIFY2(said.lines.at(0).contains(QStringLiteral("File too large")), qPrintable(said.lines.at(0)));
    QCOMPARE(log.pending(), size_t(30));
    QCOMPARE(QFileInfo(path).size(), sizeBefore); // no cut row

    log.writePending();
    QCOMPARE(log.pending(), size_t(0));
    QCOMPARE(said.lines.size(), 2);
    QVERIFY2(said.lines.at(1).contains(QStringLiteral("written again")), qPrintable(said.lines.at(1)));
    log.add(answer(40));
    QCOMPARE(answersIn({path}), upTo(41));
    QVERIFY(readAll(path).endsWith("\r\n"));
    QCOMPARE(log.droppedAnswers(), qint64(0));
}

void UnattendedLogTest::pastTheBoundAnswersAreCounted() {
    Said said;
    const QString path = folder.filePath(QStringLiteral("bounded.csv"));
    UnattendedLog log(path, said.say(), 20);
    QCOMPARE(log.start(Start), QString());
    log.add(answer(0));
    {
        FileSizeLimit limit(QFileInfo(path).size());
        for (int n = 1; n < 31; ++n)
            log.add(answer(n));
    }
    QCOMPARE(log.pending(), size_t(20));
    QCOMPARE(log.droppedAnswers(), qint64(10));
    log.add(answer(31));
    // Answers 21 to 30 went past the bound; a row in their place says so, at the first one's time.
    QCOMPARE(answersIn({path}), upTo(21) + QList<int>{31});
    const QByteArray dropped = csvDroppedRow(answer(21).time, 10);
    QCOMPARE(dropped, QByteArray("2026-12-10T23:58:31.500+01:00,,10 answers dropped,,,\r\n"));
    QVERIFY(readAll(path).contains(answer(20).rows + dropped + answer(31).rows));
    QCOMPARE(said.lines.size(), 2);
}

void UnattendedLogTest::removedFileBeginsAnew() {
    Said said;
    const QString path = folder.filePath(QStringLiteral("removed.csv"));
    UnattendedLog log(path, said.say());
    QCOMPARE(log.start(Start), QString());
    log.add(answer(0));
    QVERIFY(QFile::remove(path));
    log.add(answer(1));
    QCOMPARE(readAll(path), Header + answer(1).rows);
    QCOMPARE(log.pending(), size_t(0));
    QCOMPARE(said.lines.size(), 1);
    QVERIFY2(said.lines.at(0).contains(QStringLiteral("began anew")), qPrintable(said.lines.at(0)));
}

// logrotate moves the file away and sends SIGHUP: the next rows go into a new file with its header.
void UnattendedLogTest::reopenAfterRotation() {
    Said said;
    const QString path = folder.filePath(QStringLiteral("rotated.csv"));
    const QString rotated = path + QStringLiteral(".1");
    UnattendedLog log(path, said.say());
    QCOMPARE(log.start(Start), QString());
    log.add(answer(0));
    QVERIFY(QFile::rename(path, rotated));
    log.reopen();
    log.add(answer(1));
    QCOMPARE(readAll(rotated), Header + answer(0).rows);
    QCOMPARE(readAll(path), Header + answer(1).rows);
    QCOMPARE(said.lines, QStringList());

    // A rotation that leaves an empty file in place (logrotate's create): the header comes first.
    QFile::remove(rotated);
    QVERIFY(QFile::rename(path, rotated));
    QFile empty(path);
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    log.reopen();
    log.add(answer(2));
    QCOMPARE(readAll(path), Header + answer(2).rows);
}

// A loss before the first answer is no news; a loss is marked once; the first answer after it
// regains the link in a row of its own, at the answer's time.
void UnattendedLogTest::linkRowsAsTheWindowWritesThem() {
    Said said;
    const QString path = folder.filePath(QStringLiteral("session.csv"));
    UnattendedLog log(path, said.say());
    QCOMPARE(log.start(Start), QString());
    LogSession session(log);
    const std::vector<ShownReading> readings{{"U1", " 230.1", "V"}, {"PF1", "0.98", " "}};
    const auto at = [](int seconds) { return Start.addSecs(seconds); };

    session.linkLost(at(0));
    session.answer(at(1), readings);
    session.answer(at(2), readings);
    session.linkLost(at(5));
    session.linkLost(at(8));
    session.answer(at(9), readings);
    session.linkLost(at(12));

    QCOMPARE(readAll(path), Header + csvReadingRows(at(1), readings) + csvReadingRows(at(2), readings) +
                                csvLinkRow(at(5), false) + csvLinkRow(at(9), true) +
                                csvReadingRows(at(9), readings) + csvLinkRow(at(12), false));
    QCOMPARE(csvLinkRow(at(5), false), QByteArray("2026-12-10T23:58:05.000+01:00,,Unconnected,,,\r\n"));
}

QTEST_APPLESS_MAIN(UnattendedLogTest)
#include "tst_cli_log.moc"
