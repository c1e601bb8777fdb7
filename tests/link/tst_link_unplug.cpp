// The engine on a real serial port (a pseudo-terminal) whose device goes away right after the
// meter's answer to a block request: the records that answer carried are kept.
#include "link/MeterEngine.h"
#include "link/PortNames.h"
#include "link/QtLinkPlatform.h"
#include "link/TimerControl.h"
#include "support/PseudoTerminal.h"

#include "Answers.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Two blocks: the second is asked for from a device that is gone.
constexpr int StoredRecords = 6;

QByteArray bytesOf(const metersim::Bytes &bytes) {
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

// The meter on the device side: answers every request as the simulator's meter model does,
// except that it answers the first block request with `blockRecords` records and is unplugged
// `unplugAfterMs` after that answer.
class UnpluggedMeter {
public:
    UnpluggedMeter(PseudoTerminal &device, int blockRecords, int unplugAfterMs)
        : device(device), blockRecords(blockRecords), unplugAfterMs(unplugAfterMs) {
        QObject::connect(&listening, &QTimer::timeout, [this] { hear(); });
        listening.start(2);
    }

private:
    void hear() {
        heard += device.read(64, 1);
        while (heard.size() > 3 && heard.size() >= uint8_t(heard[3]) + 2) {
            const QByteArray request = heard.left(uint8_t(heard[3]) + 2);
            heard.remove(0, request.size());
            answer(request);
        }
    }
    void answer(QByteArray request) {
        const bool blockRequest = request[4] == char(1);
        if (blockRequest) {
            // Ask the model for the records this meter sends, with the request's checksum kept right.
            request[9] = char(request[9] ^ request[8] ^ char(blockRecords));
            request[8] = char(blockRecords);
        }
        const std::optional<metersim::Bytes> frame =
            metersim::answerFor(metersim::Bytes(request.begin(), request.end()), {StoredRecords});
        device.write(bytesOf(*frame));
        if (!blockRequest)
            return;
        listening.stop();
        QTimer::singleShot(unplugAfterMs, [this] { device.unplug(); });
    }

    PseudoTerminal &device;
    const int blockRecords;
    const int unplugAfterMs;
    QTimer listening;
    QByteArray heard;
};

} // namespace

class UnplugTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void recordsOfTheLastAnswerKept_data();
    void recordsOfTheLastAnswerKept();

private:
    QTemporaryDir nowhere;
};

void UnplugTest::initTestCase() {
    // Every port number but 1 leads nowhere, so no real device is ever opened.
    for (int port = 2; port <= 16; ++port)
        qputenv(QByteArray("POWERCLAMP_COM" + QByteArray::number(port)).constData(),
                QFile::encodeName(nowhere.filePath(QStringLiteral("none"))));
}

void UnplugTest::recordsOfTheLastAnswerKept_data() {
    QTest::addColumn<int>("blockRecords");
    QTest::newRow("the three records asked for") << 3;
    // A meter holding fewer records than it counted: the answer is whole but shorter than the
    // one awaited, so only the port's hang-up hands it on.
    QTest::newRow("one record of the three asked for") << 1;
}

void UnplugTest::recordsOfTheLastAnswerKept() {
    QFETCH(int, blockRecords);
    PseudoTerminal device;
    QVERIFY(device.isValid());
    // Port 1 is the device; every other port a discovery could reach leads nowhere.
    PortDevices ports{{1, device.portPath()}};
    for (int port = 2; port <= 16; ++port)
        ports[port] = QStringLiteral("/nonexistent/powerclamp-test");
    PortNumbering numbering(
        ports, [] { return QStringList(); }, [] { return int64_t(0); });
    UnpluggedMeter meter(device, blockRecords, 50);
    QtLinkPlatform platform(numbering);
    MeterEngine engine(platform);
    QStringList shown;
    QObject::connect(
        &engine, &MeterEngine::recordBlock, [&shown](int16_t first, const std::vector<ShownBlocks> &records) {
            for (size_t index = 0; index < records.size(); ++index)
                shown << QStringLiteral("NO.%1 %2").arg(first + int(index) + 1).arg(records[index][0]->value);
        });
    engine.setRealtimeView(false);
    engine.start();
    QTRY_VERIFY_WITH_TIMEOUT(engine.meterFound() && !engine.Timer_findcom->Enabled(), 3000);

    QVERIFY(engine.startDownload());
    QTRY_VERIFY_WITH_TIMEOUT(!engine.downloading(), 5000);
    QStringList expected;
    for (int record = 0; record < blockRecords; ++record)
        expected << QString::asprintf("NO.%d %02d:00", record + 1, record + 1);
    QCOMPARE(shown, expected);
}

QTEST_GUILESS_MAIN(UnplugTest)
#include "tst_link_unplug.moc"
