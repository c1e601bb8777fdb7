// A minute of logging against the meter simulator: the real serial port on a pseudo-terminal,
// real timers, the real event loop; the meter falls silent once in the middle. The file is
// then read back as a data tool would.
#include "app/Form1.h"
#include "app/QtPlatform.h"
#include "link/TimerControl.h"
#include "support/ScriptedDialog.h"

#include "link/PortNames.h"
#include "link/SerialControl.h"
#include "output/PrinterControl.h"

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr int MeterPort = 5;
constexpr int LogSeconds = 60;

// Qt's timers and serial port; the dialog answers from a script and message boxes are recorded.
class LoggingPlatform final : public Platform {
public:
    // Every port a test can reach is in `ports`; the system's list is never read.
    explicit LoggingPlatform(const PortDevices &ports)
        : numbering(
              ports, [] { return QStringList(); }, [] { return int64_t(0); }) {}

    std::unique_ptr<TimerControl> createTimer() override { return qt.createTimer(); }
    std::unique_ptr<SerialControl> createSerialControl() override { return qt.createSerialControl(); }
    std::unique_ptr<CommonDialog> createCommonDialog(QWidget *) override {
        auto scripted = std::make_unique<ScriptedDialog>();
        dialog = scripted.get();
        return scripted;
    }
    std::unique_ptr<PrinterControl> createPrinter() override { return qt.createPrinter(); }
    QDateTime currentDateTime() const override { return qt.currentDateTime(); }
    int64_t monotonicMs() const override { return qt.monotonicMs(); }
    void MsgBox(QWidget *, const MessageBoxRequest &request) override { messages << request.text; }
    void Beep() override {}
    void End() override {}

    ScriptedDialog *dialog = nullptr;
    QStringList messages;

private:
    PortNumbering numbering;
    QtPlatform qt{numbering};
};

struct Row {
    QDateTime time;
    QString item, value, unit, baseValue, baseUnit;
};

// One CSV line as RFC 4180 reads it (no line breaks inside fields here).
QStringList csvFields(const QString &line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype index = 0; index < line.size(); ++index) {
        const QChar character = line[index];
        if (quoted && character == u'"' && index + 1 < line.size() && line[index + 1] == u'"') {
            field += u'"';
            ++index;
        } else if (character == u'"') {
            quoted = !quoted;
        } else if (character == u',' && !quoted) {
            fields << field;
            field.clear();
        } else {
            field += character;
        }
    }
    return fields << field;
}

} // namespace

class LogEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void aMinuteOfReadings();
};

void LogEndToEndTest::aMinuteOfReadings() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    qputenv("HOME", QFile::encodeName(folder.path()));
    const QString link = folder.filePath(QStringLiteral("meter"));
    PortDevices ports;
    for (int port = 1; port <= 16; ++port)
        ports[port] = port == MeterPort ? link : folder.filePath(QStringLiteral("none"));
    QProcess meter;
    meter.start(QStringLiteral(METERSIM_PATH), {QStringLiteral("--link"), link});
    QVERIFY(meter.waitForStarted(5000) && meter.waitForReadyRead(5000));
    const auto signalMeter = [&meter](int number) { ::kill(pid_t(meter.processId()), number); };

    LoggingPlatform platform(ports);
    Form1 form(platform);
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_rtsta->text(), QStringLiteral("Connected"), 8000);
    const QString path = folder.filePath(QStringLiteral("minute.csv"));
    platform.dialog->script = {DialogAnswer::confirm(path, 1)};
    form.menulog_Click();
    QCOMPARE(form.menulog->text(), QStringLiteral("Stop Log"));

    QTest::qWait(25 * 1000);
    signalMeter(SIGUSR1); // silent
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_rtsta->text(), QStringLiteral("Unconnected"), 6000);
    QTest::qWait(3000);
    signalMeter(SIGUSR2); // answering again
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_rtsta->text(), QStringLiteral("Connected"), 5000);
    QTest::qWait(LogSeconds * 1000 - 25 * 1000 - 9000);
    const QString indicator = form.StatusBar1Log->text();
    form.menulog_Click();
    meter.terminate();
    meter.waitForFinished(3000);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.endsWith(QLatin1String("\r\n")));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    QCOMPARE(lines.takeFirst(), QStringLiteral("time,item,value,unit,base_value,base_unit"));
    QCOMPARE(indicator, QStringLiteral("Log: minute.csv, %1 rows").arg(lines.size()));

    std::vector<Row> rows;
    for (const QString &line : lines) {
        const QStringList fields = csvFields(line);
        QCOMPARE(fields.size(), 6);
        const QDateTime time = QDateTime::fromString(fields[0], Qt::ISODateWithMs);
        QVERIFY2(time.isValid() && fields[0].size() == 29, qPrintable(line));
        rows.push_back({time, fields[1], fields[2], fields[3], fields[4], fields[5]});
    }
    int answers = 0;
    int lostRow = -1;
    int regainedRow = -1;
    for (size_t index = 0; index < rows.size(); ++index) {
        const Row &row = rows[index];
        if (index > 0)
            QVERIFY(row.time >= rows[index - 1].time);
        if (row.item.isEmpty()) {
            QVERIFY2(row.value == QLatin1String(lostRow < 0 ? "Unconnected" : "Connected"),
                     qPrintable(row.value));
            (lostRow < 0 ? lostRow : regainedRow) = int(index);
            continue;
        }
        if (index == 0 || rows[index - 1].time != row.time)
            ++answers;
        if (row.item == QLatin1String("TIME")) {
            QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d$")).match(row.value).hasMatch());
            QVERIFY(row.baseValue.isEmpty() && row.baseUnit.isEmpty());
            continue;
        }
        // Kilo units appear as a thousand of the base unit, every other unit as shown.
        const bool kilo = row.unit.startsWith(u'K');
        QCOMPARE(row.baseUnit, kilo ? row.unit.mid(1) : row.unit.trimmed());
        QVERIFY2(qAbs(row.baseValue.toDouble() - row.value.toDouble() * (kilo ? 1000 : 1)) < 1e-6,
                 qPrintable(row.value + row.unit + QLatin1String(" -> ") + row.baseValue));
    }
    // About one answer every 1.5 s, less the silence (the time-out and the pause after it).
    QVERIFY2(answers >= (LogSeconds - 12) * 2 / 3 && answers <= LogSeconds * 2 / 3 + 1,
             qPrintable(QString::number(answers)));
    QVERIFY(lostRow > 0);
    QVERIFY(regainedRow > lostRow);
    // Regained is the answer that ended the silence: its readings follow at the same time.
    QCOMPARE(rows.at(size_t(regainedRow) + 1).time, rows.at(size_t(regainedRow)).time);
    QVERIFY(rows.at(size_t(regainedRow)).time.toMSecsSinceEpoch() -
                rows.at(size_t(lostRow)).time.toMSecsSinceEpoch() >=
            2500);
    QVERIFY(platform.messages.isEmpty());
}

QTEST_MAIN(LogEndToEndTest)
#include "tst_e2e_log.moc"
