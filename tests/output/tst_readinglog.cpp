// The reading log through the window: Operate, Start Log / Stop Log, the rows each realtime
// answer and each lost link add, appending to a file that exists, and writes that fail.
#include "app/Form1.h"
#include "support/FailingDisk.h"
#include "support/FakePlatform.h"
#include "support/ScriptedDialog.h"

#include "link/TimerControl.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray Header("time,item,value,unit,base_value,base_unit\r\n");
// U1 230.1 V, I1 1.20 A, P1 0.276 KW (a trailing blank), PF1 0.98 (no unit).
const QByteArray PowerPayload("04 03 20 32 33 30 2E 31  31 01 20 20 31 2E 32 30"
                              "0B 08 30 2E 32 37 36 20  17 13 20 30 2E 39 38 20");
const QByteArray PowerRows("U1,\" 230.1\",V,230.1,V\r\n"
                           "I1,\"  1.20\",A,1.20,A\r\n"
                           "P1,\"0.276 \",KW,276,W\r\n"
                           "PF1,0.98,\" \",0.98,\r\n");

void receiveAnswer(Form1 &form, const QByteArray &hex) {
    const QByteArray payload = QByteArray::fromHex(hex);
    std::copy(payload.begin(), payload.end(), form.engine.state.RxFrame.begin() + PayloadOffset);
    form.engine.RealtimeDataHandle();
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file with each row's time replaced by "T", after checking it is local ISO 8601 with
// milliseconds and offset.
QByteArray withoutTimes(const QByteArray &file) {
    static const QRegularExpression time(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d,"),
        QRegularExpression::MultilineOption);
    QString text = QString::fromUtf8(file);
    text.replace(time, QStringLiteral("T,"));
    return text.toUtf8();
}

QByteArray timed(const QByteArray &rows) {
    QByteArray result;
    for (const QByteArray &row : rows.split('\n'))
        if (!row.isEmpty())
            result += "T," + row + '\n';
    return result;
}

} // namespace

class TestReadingLog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void nothingChangesWithoutALog();
    void startLogsEachAnswerAndStopEnds();
    void appendKeepsWhatTheFileHolds_data();
    void appendKeepsWhatTheFileHolds();
    void lostAndRegainedLink();
    void failingWriteStopsTheLogOnly_data();
    void failingWriteStopsTheLogOnly();
    void fileThatCannotBeStarted_data();
    void fileThatCannotBeStarted();

private:
    QTemporaryDir home;
    std::unique_ptr<QTemporaryDir> files;
    QString logPath() const { return files->filePath(QStringLiteral("log.csv")); }
};

void TestReadingLog::initTestCase() {
    QVERIFY(home.isValid());
    qputenv("HOME", QFile::encodeName(home.path()));
}

void TestReadingLog::init() {
    files = std::make_unique<QTemporaryDir>();
}

void TestReadingLog::nothingChangesWithoutALog() {
    FakePlatform platform;
    Form1 form(platform);
    QCOMPARE(form.menulog->text(), QStringLiteral("Start Log"));
    QCOMPARE(form.menutrend->text(), QStringLiteral("Trend"));
    QVERIFY(form.StatusBar1Log->isHidden());
    receiveAnswer(form, PowerPayload);
    form.engine.Timer_timeout_Timer();
    QVERIFY(form.StatusBar1Log->isHidden());
    QCOMPARE(platform.messages.size(), size_t(0));
    QCOMPARE(platform.dialog->shown.size(), size_t(0));
}

void TestReadingLog::startLogsEachAnswerAndStopEnds() {
    FakePlatform platform;
    Form1 form(platform);
    platform.dialog->FilterIndex = 2; // the last save was a text
    platform.dialog->script = {DialogAnswer::confirm(logPath(), 1)};

    form.menulog_Click();

    const DialogShown &shown = platform.dialog->shown.at(0);
    QCOMPARE(shown.Filter, QStringLiteral("csv格式 (*.csv)|*.csv|"));
    QCOMPARE(shown.DefaultExt, QStringLiteral(".csv"));
    QCOMPARE(shown.InitDir, home.filePath(QStringLiteral("Quorilex")));
    QVERIFY(shown.FileName.startsWith(QLatin1String("Quorilex")));
    QVERIFY(!shown.OverwritePrompt);           // the file is appended to, not replaced
    QCOMPARE(platform.dialog->FilterIndex, 2); // the next save still offers text first
    QVERIFY(platform.dialog->OverwritePrompt);
    QCOMPARE(form.menulog->text(), QStringLiteral("Stop Log"));
    QCOMPARE(readAll(logPath()), Header);

    const QDateTime before = QDateTime::currentDateTime();
    receiveAnswer(form, PowerPayload);
    receiveAnswer(form, PowerPayload);
    const QDateTime after = QDateTime::currentDateTime();

    const QByteArray written = readAll(logPath());
    QCOMPARE(withoutTimes(written), Header + timed(PowerRows) + timed(PowerRows));
    const QDateTime firstTime =
        QDateTime::fromString(QString::fromUtf8(written.mid(Header.size(), 29)), Qt::ISODateWithMs);
    QVERIFY2(firstTime >= before.addMSecs(-1) && firstTime <= after,
             written.mid(Header.size(), 29).constData());
    QVERIFY(!form.StatusBar1Log->isHidden());
    QCOMPARE(form.StatusBar1Log->text(), QStringLiteral("Log: log.csv, 8 rows"));
    QCOMPARE(form.StatusBar1Log->toolTip(), logPath());

    form.menulog_Click();
    receiveAnswer(form, PowerPayload);

    QCOMPARE(form.menulog->text(), QStringLiteral("Start Log"));
    QVERIFY(form.StatusBar1Log->isHidden());
    QCOMPARE(readAll(logPath()), written);
    QCOMPARE(platform.dialog->shown.size(), size_t(1));
}

void TestReadingLog::appendKeepsWhatTheFileHolds_data() {
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QByteArray>("expectedStart");
    QTest::newRow("an earlier log") << QByteArray(Header + "T,U1,\" 230 1\",V,,\r\n")
                                    << QByteArray(Header + "T,U1,\" 230 1\",V,,\r\n");
    QTest::newRow("a row cut short by a crash")
        << QByteArray(Header + "T,U1,\" 23") << QByteArray(Header + "T,U1,\" 23\r\n");
    QTest::newRow("an empty file gets the header") << QByteArray() << Header;
}

void TestReadingLog::appendKeepsWhatTheFileHolds() {
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, expectedStart);
    {
        QFile file(logPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(existing);
    }
    FakePlatform platform;
    Form1 form(platform);
    platform.dialog->script = {DialogAnswer::confirm(logPath(), 1)};

    form.menulog_Click();
    receiveAnswer(form, PowerPayload);

    QCOMPARE(withoutTimes(readAll(logPath())), expectedStart + timed(PowerRows));
    QCOMPARE(form.StatusBar1Log->text(), QStringLiteral("Log: log.csv, 4 rows"));
}

void TestReadingLog::lostAndRegainedLink() {
    FakePlatform platform;
    Form1 form(platform);
    platform.dialog->script = {DialogAnswer::confirm(logPath(), 1)};
    form.menulog_Click();

    form.engine.Timer_timeout_Timer(); // before any answer the link was never up: no row
    receiveAnswer(form, PowerPayload);
    form.engine.Timer_timeout_Timer();
    form.engine.Timer_timeout_Timer(); // still lost: no second row
    receiveAnswer(form, PowerPayload);
    receiveAnswer(form, PowerPayload);

    QCOMPARE(withoutTimes(readAll(logPath())), Header + timed(PowerRows) + "T,,Unconnected,,,\r\n" +
                                                   "T,,Connected,,,\r\n" + timed(PowerRows) +
                                                   timed(PowerRows));
}

void TestReadingLog::failingWriteStopsTheLogOnly_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("file removed") << "removed";
    QTest::newRow("disk refuses the write") << "size limit";
}

void TestReadingLog::failingWriteStopsTheLogOnly() {
    QFETCH(QString, fault);
    FakePlatform platform;
    Form1 form(platform);
    platform.dialog->script = {DialogAnswer::confirm(logPath(), 1)};
    form.menulog_Click();
    receiveAnswer(form, PowerPayload);
    const bool polling = form.engine.Timer_real->Enabled();
    const QByteArray before = readAll(logPath());
    std::unique_ptr<FileSizeLimit> limit;
    if (fault == QLatin1String("removed"))
        QVERIFY(QFile::remove(logPath()));
    else
        limit = std::make_unique<FileSizeLimit>(readAll(logPath()).size() + 10);

    receiveAnswer(form, "2D 07 20 20 31 2E 35 20  20 20 20 20 20 20 20 20"
                        "20 20 20 20 20 20 20 20  20 20 20 20 20 20 20 20");
    limit.reset();

    QCOMPARE(form.Lab_value[0]->text(), QStringLiteral("  1.5 W")); // the panel goes on
    QCOMPARE(form.engine.Timer_real->Enabled(), polling);
    QCOMPARE(form.menulog->text(), QStringLiteral("Start Log"));
    QVERIFY(form.StatusBar1Log->isHidden());
    QCOMPARE(platform.messages.size(), size_t(0)); // not inside the receive handler
    QTRY_COMPARE(platform.messages.size(), size_t(1));
    const MessageBoxRequest &message = platform.messages[0];
    QCOMPARE(message.title, QStringLiteral("Log Error!"));
    const QString expected =
        QStringLiteral("The log stopped after 4 rows: %1 cannot be written.\r\n%2")
            .arg(logPath(), fault == QLatin1String("removed") ? QStringLiteral("No such file or directory")
                                                              : QStringLiteral("File too large"));
    QCOMPARE(message.text, expected);
    // Later answers write nothing and say nothing more.
    receiveAnswer(form, PowerPayload);
    QTest::qWait(10);
    QCOMPARE(platform.messages.size(), size_t(1));
    // Not a byte of the failed answer's rows stays: a cut row would read as another value.
    if (fault == QLatin1String("removed"))
        QVERIFY(!QFile::exists(logPath()));
    else
        QCOMPARE(readAll(logPath()), before);
}

void TestReadingLog::fileThatCannotBeStarted_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<int>("sizeLimit"); // bytes a file may grow to; 0: no limit
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder missing") << "missing/log.csv" << false << QByteArray() << 0
                                    << "No such file or directory";
    QTest::newRow("header refused: the new file goes")
        << "log.csv" << false << QByteArray() << 10 << "File too large";
    QTest::newRow("header refused: the empty file stays empty")
        << "log.csv" << true << QByteArray() << 10 << "File too large";
    const QString notALog = QStringLiteral("It is not a reading log: a log is only added to a file whose "
                                           "first line is the log's header. The file was left as it was.");
    QTest::newRow("another CSV") << "log.csv" << true << QByteArray("name,amps\r\nfeeder,12.5\r\n") << 0
                                 << notALog;
    QTest::newRow("a text") << "notes.txt" << true << QByteArray("Feeder 3 checked.\n") << 0 << notALog;
    QTest::newRow("a log's header in another order")
        << "log.csv" << true << QByteArray("item,time,value,unit,base_value,base_unit\r\n") << 0 << notALog;
    QTest::newRow("a file shorter than the header")
        << "log.csv" << true << QByteArray("time") << 0 << notALog;
}

void TestReadingLog::fileThatCannotBeStarted() {
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QFETCH(QByteArray, existing);
    QFETCH(int, sizeLimit);
    QFETCH(QString, reason);
    const QString path = files->filePath(name);
    if (exists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(existing);
    }
    FakePlatform platform;
    Form1 form(platform);
    platform.dialog->script = {DialogAnswer::confirm(path, 1)};

    {
        std::unique_ptr<FileSizeLimit> limit;
        if (sizeLimit > 0)
            limit = std::make_unique<FileSizeLimit>(sizeLimit);
        form.menulog_Click();
    }

    QCOMPARE(platform.messages.size(), size_t(1));
    QCOMPARE(platform.messages[0].title, QStringLiteral("Saving Error!"));
    QCOMPARE(platform.messages[0].text, QStringLiteral("Cannot save %1\r\n%2").arg(path, reason));
    QCOMPARE(form.menulog->text(), QStringLiteral("Start Log"));
    QVERIFY(form.StatusBar1Log->isHidden());
    QCOMPARE(QFile::exists(path), exists);
    if (exists)
        QCOMPARE(readAll(path), existing);
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TestReadingLog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_readinglog.moc"
