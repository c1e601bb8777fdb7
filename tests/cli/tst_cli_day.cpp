// A day of `powerclamp-cli log` on the virtual clock: the meter is unplugged 20 times and the
// disk refuses writes 5 times (a real file size limit), yet every answer the program received is
// in the files exactly once, in order, whole, and each file begins with its header.
#include "cli/LogCommand.h"
#include "link/Protocol.h"
#include "support/FailingDisk.h"
#include "support/FakeLinkPlatform.h"
#include "support/ScriptedMeter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <unistd.h>

namespace {

constexpr int MeterPort = 2;
constexpr int64_t HourMs = 3600 * 1000;
constexpr int64_t DayMs = 24 * HourMs;
constexpr int Unplugs = 20;
constexpr int WriteFailureSpells = 5;
constexpr int64_t UnpluggedMs = 45 * 1000;
constexpr int64_t SpellMs = 20 * 60 * 1000; // 800 answers: well inside what the log keeps

// The meter behind the port: its n-th answer that reaches the program carries n as U1's value,
// so the file shows which answers it holds.
struct NumberingMeter {
    NumberingMeter(FakeLinkPlatform &platform, int port) : platform(platform), port(port) {
        platform.serial->openOutcome[port] = CommNoError;
        platform.serial->onOutput[port] = [this](const QByteArray &request) { heard(request); };
    }

    void heard(const QByteArray &request) {
        const uint8_t type = uint8_t(request.at(TypeOffset));
        QByteArray payload;
        if (type == RequestType::LinkCheck)
            payload = QByteArray::fromHex("55AA");
        else if (type != RequestType::Realtime)
            return;
        platform.clock.callAfter(5, [this, type, payload] {
            FakeSerialControl *serial = platform.serial;
            if (!serial->PortOpen() || serial->CommPort() != port)
                return; // the answer finds no listener
            if (type == RequestType::LinkCheck) {
                serial->deliver(ScriptedMeter::frame(type, payload));
                return;
            }
            ++delivered;
            // U1 = n V, I1 = 1.000 A, two empty blocks.
            const QByteArray blocks = QByteArray("\x04\x03") +
                                      QByteArray::number(delivered).rightJustified(6, ' ') +
                                      QByteArray("\x31\x01") + " 1.000" + QByteArray(16, ' ');
            serial->deliver(ScriptedMeter::frame(type, blocks));
        });
    }

    void unplug() {
        platform.serial->openOutcome[port] = CommInvalidPort;
        if (platform.serial->CommPort() == port)
            platform.serial->unplug();
    }
    void plugIn() { platform.serial->openOutcome[port] = CommNoError; }

    FakeLinkPlatform &platform;
    int port;
    int delivered = 0;
};

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class LogDayTest : public QObject {
    Q_OBJECT
private slots:
    void aDayWithUnplugsAndWriteFailures();
};

void LogDayTest::aDayWithUnplugsAndWriteFailures() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    FakeLinkPlatform platform;
    QFile errors(folder.filePath(QStringLiteral("stderr.txt")));
    QVERIFY(errors.open(QIODevice::ReadWrite));
    std::FILE *errorStream = fdopen(dup(errors.handle()), "w");
    QVERIFY(errorStream);
    Console console{stdout, errorStream, false};
    LogCommand command(platform, console, folder.filePath(QStringLiteral("readings-%Y-%m-%d.csv")));
    NumberingMeter meter(platform, MeterPort);
    int finishedWith = -1;
    QObject::connect(&command, &CliCommand::finished, [&finishedWith](int status) { finishedWith = status; });

    // Unplugs spread over the day; the write failures fall between them.
    for (int unplug = 0; unplug < Unplugs; ++unplug) {
        const int64_t at = (unplug + 1) * DayMs / (Unplugs + 1) + 317 * unplug;
        platform.clock.callAfter(at, [&meter] { meter.unplug(); });
        platform.clock.callAfter(at + UnpluggedMs, [&meter] { meter.plugIn(); });
    }
    std::optional<FileSizeLimit> diskFull;
    const QString files = folder.path();
    for (int spell = 0; spell < WriteFailureSpells; ++spell) {
        const int64_t at = (2 * spell + 1) * DayMs / (2 * WriteFailureSpells + 1) + 1000;
        // No room beyond the file the log writes now, today's.
        platform.clock.callAfter(at, [&diskFull, files] {
            const QFileInfoList today =
                QDir(files).entryInfoList({"readings-*.csv"}, QDir::Files, QDir::Name);
            diskFull.emplace(long(today.constLast().size()));
        });
        platform.clock.callAfter(at + SpellMs, [&diskFull] { diskFull.reset(); });
    }

    QElapsedTimer wallClock;
    wallClock.start();
    command.start();
    for (int64_t hour = 0; hour < 24; ++hour) {
        platform.clock.advance(HourMs);
        platform.serial->log.clear();
    }
    command.end();
    const qint64 wallMs = wallClock.elapsed();
    std::fclose(errorStream);
    QCOMPARE(finishedWith, 0);

    // Every answer received, once, in order, across the day's two files.
    const QStringList names = QDir(files).entryList({"readings-*.csv"}, QDir::Files, QDir::Name);
    QCOMPARE(names, (QStringList{"readings-2026-12-10.csv", "readings-2026-12-11.csv"}));
    QList<int> numbers;
    int lost = 0, regained = 0;
    for (const QString &name : names) {
        const QByteArray content = readAll(QDir(files).filePath(name));
        QVERIFY(content.startsWith("time,item,value,unit,base_value,base_unit\r\n"));
        QVERIFY(content.endsWith("\r\n"));
        for (const QByteArray &row : content.split('\n')) {
            const QList<QByteArray> fields = row.trimmed().split(',');
            if (fields.size() != 6)
                continue;
            if (fields[1] == "U1")
                numbers << fields[2].trimmed().replace('"', "").toInt();
            lost += fields[2] == "Unconnected";
            regained += fields[2] == "Connected";
        }
    }
    QCOMPARE(numbers.size(), meter.delivered);
    for (int index = 0; index < numbers.size(); ++index)
        QCOMPARE(numbers[index], index + 1);
    QCOMPARE(lost, Unplugs);
    QCOMPARE(regained, Unplugs);
    QCOMPARE(command.unattendedLog().droppedAnswers(), qint64(0));
    const QByteArray said = readAll(errors.fileName());
    QCOMPARE(said.count("the answers are kept in memory"), WriteFailureSpells);
    QCOMPARE(said.count("is written again"), WriteFailureSpells);
    qInfo("a day: %d answers, %d unplugs, %d write-failure spells, %lld ms of wall time", meter.delivered,
          Unplugs, WriteFailureSpells, wallMs);
}

QTEST_GUILESS_MAIN(LogDayTest)
#include "tst_cli_day.moc"
