// What powerclamp-cli writes: the JSON and text lines of answers and of the link, the downloaded
// records in each format (the text and the workbook as the window saves them, byte for byte),
// and the log's file names.
#include "app/Form1.h"
#include "cli/AnswerLines.h"
#include "cli/DownloadOutput.h"
#include "cli/LogPattern.h"
#include "link/Protocol.h"
#include "measure/ItemNames.h"
#include "measure/UnitFacts.h"
#include "output/FileWrites.h"
#include "readings/AlarmMonitor.h"
#include "support/FailingDisk.h"
#include "support/FakePlatform.h"
#include "support/ScriptedDialog.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

Q_DECLARE_METATYPE(std::vector<ShownReading>)

namespace {

const QDateTime answerTime(QDate(2026, 12, 10), QTime(14, 3, 7, 250), Qt::OffsetFromUTC, 3600);

// Stored records as the meter sends them: four 8-byte blocks each (item, unit, six value bytes).
const QByteArray FourRecords = QByteArray::fromHex(
    // U1 " 230.1" V, I1 "  1.20" A, P1 " 0.250" KW, PF1 " 0.98 " (one space as unit)
    "04 03 20 32 33 30 2E 31  31 01 20 20 31 2E 32 30  0B 08 20 30 2E 32 35 30  17 13 20 30 2E 39 38 20"
    // the dot rule: U2 "123.45" shows "123 45"; an empty block; an overload; a time 01:00 hmin
    "05 03 31 32 33 2E 34 35  20 20 20 20 20 20 20 20  04 12 20 20 20 20 20 20  2E 10 00 00 0E 10 00 00"
    // all four blocks empty
    "20 20 20 20 20 20 20 20  20 20 20 20 20 20 20 20  20 20 20 20 20 20 20 20  20 20 20 20 20 20 20 20"
    // codes outside the tables, a value with a comma, and a long value row
    "3C 03 20 20 20 31 2E 30  0E 19 31 2C 32 33 34 35  13 0C 31 32 33 34 35 36  01 00 2D 30 2E 30 30 35");

// Records 0..count-1 of FourRecords, decoded the way the engine decodes them.
std::vector<ShownBlocks> storedRecords(int count) {
    const ItemNameTable names = itemNameTable();
    const UnitNameTable units = unitNameTable();
    QByteArray bytes = FourRecords.left(RecordSize * count);
    std::vector<ShownBlocks> records;
    for (int index = 0; index < count; ++index)
        records.push_back(
            shownBlocks(reinterpret_cast<uint8_t *>(bytes.data()) + RecordSize * index, names, units));
    return records;
}

// The window after Read downloaded the same records: blocks of up to three, as the engine takes
// them from its answers and hands them to the window.
void downloadIntoWindow(Form1 &form, int count) {
    for (int first = 0; first < count; first += 3) {
        const int inBlock = std::min(3, count - first);
        const QByteArray block = FourRecords.mid(RecordSize * first, RecordSize * inBlock);
        std::copy(block.begin(), block.end(), form.engine.state.RxFrame.begin() + PayloadOffset);
        form.engine.RecordDataHandle(PayloadOffset, int16_t(first), int16_t(inBlock));
    }
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QByteArray unzipped(const QString &workbook, const QString &member) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), workbook, member});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput();
}

} // namespace

class CliOutputsTest : public QObject {
    Q_OBJECT
private slots:
    void jsonLines_data();
    void jsonLines();
    void jsonLineBytes();
    void textLines();
    void alarmLines_data();
    void alarmLines();
    void downloadAsTheWindowSavesIt_data();
    void downloadAsTheWindowSavesIt();
    void downloadCsv();
    void downloadFailureLeavesNoFile();
    void downloadToStandardOutput();
    void logFileNames_data();
    void logFileNames();

private:
    QTemporaryDir files;
};

void CliOutputsTest::jsonLines_data() {
    QTest::addColumn<std::vector<ShownReading>>("readings");
    QTest::addColumn<QJsonArray>("expected");

    const auto reading = [](const char *item, const QJsonValue &value, const char *unit,
                            const QJsonValue &base, const QJsonValue &baseUnit) {
        return QJsonObject{{"item", item},
                           {"value", value},
                           {"unit", QString::fromUtf8(unit)},
                           {"base_value", base},
                           {"base_unit", baseUnit}};
    };
    QTest::newRow("none") << std::vector<ShownReading>{} << QJsonArray{};
    QTest::newRow("padded value, prefixed unit")
        << std::vector<ShownReading>{{"U1", " 230.1", "V"}, {"P1", "  1.20", "KW"}, {"I1", " 0.05", "mA"}}
        << QJsonArray{reading("U1", "230.1", "V", 230.1, "V"), reading("P1", "1.20", "KW", 1200, "W"),
                      reading("I1", "0.05", "mA", 0.00005, "A")};
    QTest::newRow("overload, time, not a number")
        << std::vector<ShownReading>{{"U1", "      ", "OL."},
                                     {"TIME", "12:34", "mins"},
                                     {"U2", "123 45", "V"}}
        << QJsonArray{reading("U1", "", "OL.", QJsonValue::Null, QJsonValue::Null),
                      reading("TIME", "12:34", "mins", QJsonValue::Null, QJsonValue::Null),
                      reading("U2", "123 45", "V", QJsonValue::Null, QJsonValue::Null)};
    QTest::newRow("a unit of one blank, a negative number, signs to escape")
        << std::vector<ShownReading>{{"PF1", "-0.98", " "}, {"?60", "1\"2\\", "k\u03A9"}}
        << QJsonArray{reading("PF1", "-0.98", " ", -0.98, ""),
                      reading("?60", "1\"2\\", "k\u03A9", QJsonValue::Null, QJsonValue::Null)};
}

void CliOutputsTest::jsonLines() {
    QFETCH(std::vector<ShownReading>, readings);
    QFETCH(QJsonArray, expected);
    const QByteArray line = readingsJsonLine(answerTime, readings);
    QVERIFY(line.endsWith('\n'));
    QCOMPARE(line.count('\n'), 1);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + ": " + line));
    QCOMPARE(document.object().value("time").toString(), QStringLiteral("2026-12-10T14:03:07.250+01:00"));
    QCOMPARE(document.object().value("readings").toArray(), expected);
    QCOMPARE(document.object().size(), 2);
}

// The base value is the log's exact decimal text, not a number rounded through a double.
void CliOutputsTest::jsonLineBytes() {
    QCOMPARE(
        readingsJsonLine(answerTime, {{"W", " 0.0001", "KWh"}, {"S", "123456", "KVA"}}),
        QByteArray("{\"time\": \"2026-12-10T14:03:07.250+01:00\", \"readings\": ["
                   "{\"item\": \"W\", \"value\": \"0.0001\", \"unit\": \"KWh\", \"base_value\": 0.1, "
                   "\"base_unit\": \"Wh\"}, "
                   "{\"item\": \"S\", \"value\": \"123456\", \"unit\": \"KVA\", \"base_value\": 123456000, "
                   "\"base_unit\": \"VA\"}]}\n"));
    QCOMPARE(linkJsonLine(answerTime, false),
             QByteArray("{\"time\": \"2026-12-10T14:03:07.250+01:00\", \"link\": \"lost\"}\n"));
    QCOMPARE(linkJsonLine(answerTime.toOffsetFromUtc(-5 * 3600), true),
             QByteArray("{\"time\": \"2026-12-10T08:03:07.250-05:00\", \"link\": \"connected\"}\n"));
}

void CliOutputsTest::textLines() {
    QCOMPARE(
        readingsTextLine(answerTime, {{"U1", " 230.1", "V"}, {"PF1", "0.98", " "}, {"U2", "      ", "OL."}}),
        QByteArray("2026-12-10T14:03:07.250+01:00  U1: 230.1V  PF1: 0.98   U2: OL.\n"));
    QCOMPARE(readingsTextLine(answerTime, {}), QByteArray("2026-12-10T14:03:07.250+01:00\n"));
    QCOMPARE(linkTextLine(answerTime, false), QByteArray("2026-12-10T14:03:07.250+01:00  Unconnected\n"));
    QCOMPARE(linkTextLine(answerTime, true), QByteArray("2026-12-10T14:03:07.250+01:00  Connected\n"));
}

// An alarm raised or cleared as watch prints it and as log says it: the JSON object's members,
// and the text line in the words of the log's alarm rows.
void CliOutputsTest::alarmLines_data() {
    QTest::addColumn<bool>("raised");
    QTest::addColumn<bool>("high");
    QTest::addColumn<QString>("item");
    QTest::addColumn<double>("limit");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QJsonObject>("expected"); // without the time and the text
    QTest::addColumn<QString>("text");

    QTest::newRow("raised below")
        << true << false << "U1" << 207.0 << "206.5"
        << "V"
        << QJsonObject{{"alarm", "low"}, {"item", "U1"}, {"limit", 207}, {"value", 206.5}, {"unit", "V"}}
        << "alarm low: U1 below 207 V since 14:02:58, now 206.5 V";
    QTest::newRow("raised above by an overload") << true << true << "I1" << 16.5 << "OL."
                                                 << "A"
                                                 << QJsonObject{{"alarm", "high"},
                                                                {"item", "I1"},
                                                                {"limit", 16.5},
                                                                {"value", QJsonValue::Null},
                                                                {"unit", "A"}}
                                                 << "alarm high: I1 above 16.5 A since 14:02:58, now OL.";
    QTest::newRow("cleared, no unit")
        << false << false << "PF1" << 0.85 << "0.9"
        << ""
        << QJsonObject{{"alarm", "cleared"}, {"item", "PF1"}, {"limit", 0.85}, {"value", 0.9}, {"unit", ""}}
        << "alarm cleared: PF1 below 0.85 since 14:02:58, now 0.9";
}

void CliOutputsTest::alarmLines() {
    QFETCH(bool, raised);
    QFETCH(bool, high);
    QFETCH(QString, item);
    QFETCH(double, limit);
    QFETCH(QString, value);
    QFETCH(QString, unit);
    QFETCH(QJsonObject, expected);
    QFETCH(QString, text);

    // The alarm's own times are local, as its text shows them.
    const QDateTime since(QDate(2026, 12, 10), QTime(14, 2, 58));
    const AlarmEvent event{raised, {item, high, limit, value, unit, since, 0}, answerTime, 9000};
    QCOMPARE(alarmTextLine(event), ("2026-12-10T14:03:07.250+01:00  " + text + "\n").toUtf8());
    const QByteArray line = alarmJsonLine(event);
    QVERIFY(line.endsWith('\n'));
    QCOMPARE(line.count('\n'), 1);
    QJsonParseError error{};
    QJsonObject object = QJsonDocument::fromJson(line, &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + ": " + line));
    QCOMPARE(object.take("time").toString(), QStringLiteral("2026-12-10T14:03:07.250+01:00"));
    QCOMPARE(object.take("text").toString(), text.mid(text.indexOf(u':') + 2));
    QCOMPARE(object, expected);
}

void CliOutputsTest::downloadAsTheWindowSavesIt_data() {
    QTest::addColumn<int>("records");
    QTest::newRow("no record: the fresh grid") << 0;
    QTest::newRow("one record") << 1;
    QTest::newRow("two blocks of answers") << 4;
}

void CliOutputsTest::downloadAsTheWindowSavesIt() {
    QFETCH(int, records);
    FakePlatform platform;
    Form1 form(platform);
    form.state.RealtimeView = false; // the Record view
    downloadIntoWindow(form, records);
    const QString windowText = files.filePath(QStringLiteral("window.txt"));
    const QString windowWorkbook = files.filePath(QStringLiteral("window.xls"));
    platform.dialog->script = {DialogAnswer::confirm(windowText, 1),
                               DialogAnswer::confirm(windowWorkbook, 2)};
    form.menusave_Click();
    form.menusave_Click();
    QCOMPARE(platform.messages.size(), size_t(0));

    const QString cliText = files.filePath(QStringLiteral("cli.txt"));
    const QString cliWorkbook = files.filePath(QStringLiteral("cli.xlsx"));
    QCOMPARE(writeDownload(cliText, DownloadFormat::RecordText, storedRecords(records), stdout), QString());
    QCOMPARE(writeDownload(cliWorkbook, DownloadFormat::Workbook, storedRecords(records), stdout), QString());

    QCOMPARE(readAll(cliText), readAll(windowText));
    for (const char *member : {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/styles.xml"}) {
        const QByteArray window = unzipped(windowWorkbook, QLatin1String(member));
        QVERIFY2(!window.isEmpty(), member);
        QCOMPARE(unzipped(cliWorkbook, QLatin1String(member)), window);
    }
}

void CliOutputsTest::downloadCsv() {
    QCOMPARE(downloadBytes(DownloadFormat::Csv, {}),
             QByteArray("record,item,value,unit,base_value,base_unit\r\n"));
    const QByteArray csv = downloadBytes(DownloadFormat::Csv, storedRecords(4));
    QCOMPARE(csv, QByteArray("record,item,value,unit,base_value,base_unit\r\n"
                             "1,U1,230.1,V,230.1,V\r\n"
                             "1,I1,1.20,A,1.20,A\r\n"
                             "1,P1,0.250,KW,250,W\r\n"
                             "1,PF1,0.98,\" \",0.98,\r\n"
                             "2,U2,123 45,V,,\r\n"
                             "2,U1,,OL.,,\r\n"
                             "2,TIME,01:00,hmin,,\r\n"
                             "4,?60,1.0,V,1.0,V\r\n"
                             "4,P,\"1,2345\",?25,,\r\n"
                             "4,S1,123456,KVA,123456000,VA\r\n"
                             "4,I2,-0.005,mA,-0.000005,A\r\n"));
    QCOMPARE(downloadBytes(DownloadFormat::CsvOnStandardOutput, storedRecords(1)),
             downloadBytes(DownloadFormat::Csv, storedRecords(1)));
}

// A failed download file leaves nothing new and an earlier file as it was.
void CliOutputsTest::downloadFailureLeavesNoFile() {
    const QString missingFolder = files.filePath(QStringLiteral("missing/records.csv"));
    QVERIFY(!writeDownload(missingFolder, DownloadFormat::Csv, storedRecords(4), stdout).isEmpty());
    QVERIFY(!QFile::exists(missingFolder));

    for (const QString name : {"earlier.csv", "earlier.txt", "earlier.xlsx"}) {
        const QString path = files.filePath(name);
        const QByteArray earlier(100, 'e');
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
        }
        const DownloadFormat format = *downloadFormatFor(path);
        QString failure;
        {
            // Room for the earlier file, not for the new one.
            FileSizeLimit limit(200);
            failure = writeDownload(path, format, storedRecords(4), stdout);
        }
        QVERIFY2(!failure.isEmpty(), qPrintable(name));
        QCOMPARE(readAll(path), earlier);
        QCOMPARE(QDir(files.path()).entryList({name + QStringLiteral(".*")}, QDir::Files | QDir::Hidden),
                 QStringList());
        QCOMPARE(writeDownload(path, format, storedRecords(4), stdout), QString());
        QVERIFY(readAll(path) != earlier);
    }
}

void CliOutputsTest::downloadToStandardOutput() {
    QFile target(files.filePath(QStringLiteral("stdout.csv")));
    QVERIFY(target.open(QIODevice::WriteOnly));
    std::FILE *stream = fdopen(dup(target.handle()), "w");
    QVERIFY(stream);
    QCOMPARE(
        writeDownload(QStringLiteral("-"), DownloadFormat::CsvOnStandardOutput, storedRecords(2), stream),
        QString());
    std::fclose(stream);
    QCOMPARE(readAll(target.fileName()), downloadBytes(DownloadFormat::Csv, storedRecords(2)));

    std::FILE *full = std::fopen("/dev/full", "w");
    if (!full)
        QSKIP("no /dev/full");
    QVERIFY(!writeDownload(QStringLiteral("-"), DownloadFormat::CsvOnStandardOutput, storedRecords(4), full)
                 .isEmpty());
    std::fclose(full);
}

void CliOutputsTest::logFileNames_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("name");

    const QDateTime morning(QDate(2026, 3, 7), QTime(9, 5), Qt::OffsetFromUTC, 3600);
    QTest::newRow("plain name") << "readings.csv" << morning << "readings.csv";
    QTest::newRow("a file a day") << "readings-%Y-%m-%d.csv" << morning << "readings-2026-03-07.csv";
    QTest::newRow("a file an hour, in folders")
        << "/var/lib/powerclamp/%Y/%m/%d-%H.csv" << morning << "/var/lib/powerclamp/2026/03/07-09.csv";
    QTest::newRow("percent signs") << "100%%-%H%%.csv" << morning << "100%-09%.csv";
    QTest::newRow("the time's own date, not UTC's")
        << "%Y-%m-%d-%H.csv" << QDateTime(QDate(2027, 1, 1), QTime(0, 30), Qt::OffsetFromUTC, 3600)
        << "2027-01-01-00.csv";
}

void CliOutputsTest::logFileNames() {
    QFETCH(QString, pattern);
    QFETCH(QDateTime, time);
    QFETCH(QString, name);
    QCOMPARE(logPatternError(pattern), QString());
    QCOMPARE(expandLogPattern(pattern, time), name);
}

QTEST_MAIN(CliOutputsTest)
#include "tst_cli_outputs.moc"
