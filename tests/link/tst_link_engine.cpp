// The meter engine on its own, without a window: what it tells its listeners while it finds the
// meter, polls it, downloads its records and loses it, and that a download never puts a record
// under another record's number.
#include "link/MeterEngine.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"
#include "support/FakeLinkPlatform.h"
#include "support/ScriptedMeter.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// The engine on the fake platform with a scripted meter behind one port; every signal it sends
// is written down as a line of text, in order.
struct EngineFixture {
    explicit EngineFixture(int meterPort = 1) : serial(*platform.serial), meter(platform, meterPort) {
        serial.openOutcome[meterPort] = CommNoError;
        QObject::connect(&engine, &MeterEngine::portStatus, [this](const QString &caption, const QString &) {
            events << QStringLiteral("port ") + caption;
        });
        QObject::connect(&engine, &MeterEngine::linkConnected,
                         [this] { events << QStringLiteral("connected"); });
        QObject::connect(&engine, &MeterEngine::linkLost, [this] { events << QStringLiteral("lost"); });
        QObject::connect(&engine, &MeterEngine::discoveryEnded,
                         [this] { events << QStringLiteral("found"); });
        QObject::connect(&engine, &MeterEngine::realtimeReadings, [this](const ShownBlocks &readings) {
            realtime.push_back(readings);
            events << QStringLiteral("readings");
        });
        QObject::connect(&engine, &MeterEngine::recordCount,
                         [this](int16_t total) { events << QStringLiteral("count %1").arg(total); });
        QObject::connect(&engine, &MeterEngine::recordBlock,
                         [this](int16_t first, const std::vector<ShownBlocks> &records) {
                             events << QStringLiteral("block %1+%2").arg(first).arg(records.size());
                             for (size_t index = 0; index < records.size(); ++index)
                                 shownRecords.emplace_back(first + int(index), records[index]);
                         });
        QObject::connect(&engine, &MeterEngine::downloadProgress,
                         [this](int16_t records) { events << QStringLiteral("progress %1").arg(records); });
        QObject::connect(&engine, &MeterEngine::downloadEnded,
                         [this](int16_t total) { events << QStringLiteral("ended %1").arg(total); });
        QObject::connect(&engine, &MeterEngine::downloadAborted,
                         [this] { events << QStringLiteral("aborted"); });
        QObject::connect(&engine, &MeterEngine::portsRefused,
                         [this](const QString &notice) { events << QStringLiteral("refused ") + notice; });
        engine.start();
    }

    // Runs discovery to its found tick; false if the meter was not found in time.
    bool findMeter() {
        for (int tick = 0; tick < 40 && engine.Timer_findcom->Enabled(); ++tick)
            platform.clock.advance(600);
        return engine.meterFound() && !engine.Timer_findcom->Enabled();
    }
    // Runs until the download ends or is broken off.
    bool runDownload(int64_t limitMs = 30000) {
        for (int64_t waited = 0; waited < limitMs && engine.downloading(); waited += 10)
            platform.clock.advance(10);
        return !engine.downloading();
    }
    void waitForRecordRequests(size_t count) {
        while (meter.recordRequests().size() < count)
            platform.clock.advance(1);
    }
    // The events since the last call.
    QStringList takeEvents() {
        QStringList taken;
        taken.swap(events);
        return taken;
    }

    FakeLinkPlatform platform;
    MeterEngine engine{platform};
    FakeSerialControl &serial;
    ScriptedMeter meter;
    QStringList events;
    std::vector<ShownBlocks> realtime;
    std::vector<std::pair<int, ShownBlocks>> shownRecords; // record number (from 0), its blocks
};

// The simulator's stored record n (from 0) holds a TIME of n + 1 minutes in its first block.
QString storedTime(int record) {
    return QString::asprintf("%02d:00", record + 1);
}

// Every record told so far that is not the meter's record of that number.
QStringList misnumberedRecords(const EngineFixture &fixture) {
    QStringList wrong;
    for (const auto &[number, blocks] : fixture.shownRecords) {
        const QString time = blocks[0] ? trimSpaces(blocks[0]->value) : QString();
        if (time != storedTime(number))
            wrong << QStringLiteral("NO.%1 holds %2").arg(number + 1).arg(time);
    }
    return wrong;
}

} // namespace

class EngineTest : public QObject {
    Q_OBJECT
private slots:
    void discoveryTellsEachPortAndTheEnd();
    void realtimeAnswerDecodedOnce();
    void pollingFollowsTheView();
    void downloadTellsCountBlocksAndEnd_data();
    void downloadTellsCountBlocksAndEnd();
    void noRecordsEndsAtOnce();
    void timeOutBreaksTheDownloadOff();
    void downloadOnlyOnceTheMeterIsFound();
    void refusedPortsToldOnce();
    void stopSilencesEverything();
    void lateBlockNeverTakenForALaterRequest_data();
    void lateBlockNeverTakenForALaterRequest();
};

void EngineTest::discoveryTellsEachPortAndTheEnd() {
    EngineFixture fixture(3);
    fixture.serial.openOutcome[2] = CommPortAlreadyOpen;
    QVERIFY(fixture.findMeter());
    // Every receive event and the link-check answer tell the meter is there, and so does the
    // tick that ends discovery.
    QCOMPARE(fixture.takeEvents(), QStringList({"port COM1Unviable", "port COM2Unviable", "port COM3 Open",
                                                "connected", "connected", "connected", "found"}));
    QCOMPARE(int(fixture.engine.port()), 3);
    QVERIFY(fixture.engine.Timer_real->Enabled());
}

void EngineTest::realtimeAnswerDecodedOnce() {
    EngineFixture fixture;
    // U1 230.1 V, an empty block, PF1 0.98 (padded by the meter), P1 1.5 KW.
    const QByteArray answer =
        ScriptedMeter::frame(6, QByteArray::fromHex("04 03 20 32 33 30 2E 31  20 20 20 20 20 20 20 20"
                                                    "17 13 20 30 2E 39 38 20  0B 08 20 20 31 2E 35 20"));
    fixture.meter.wrongAnswer = [&answer](const QByteArray &request) -> std::optional<QByteArray> {
        return request[4] == char(6) ? std::optional<QByteArray>(answer) : std::nullopt;
    };
    QVERIFY(fixture.findMeter());
    fixture.platform.clock.advance(1510);
    QCOMPARE(fixture.realtime.size(), size_t(1));
    const ShownBlocks &shown = fixture.realtime.front();
    QVERIFY(shown[0] && !shown[1] && shown[2] && shown[3]);
    QCOMPARE(shown[0]->item + '|' + shown[0]->value + '|' + shown[0]->unit, QStringLiteral("U1| 230.1|V"));
    QCOMPARE(shown[2]->item + '|' + shown[2]->value + '|' + shown[2]->unit, QStringLiteral("PF1|0.98| "));
    // The dot rule took the point out of the fourth place, once, in the engine's frame.
    QCOMPARE(shown[3]->value, QStringLiteral("  1 5 "));
    QCOMPARE(presentReadings(shown).size(), size_t(3));
}

void EngineTest::pollingFollowsTheView() {
    EngineFixture fixture;
    QVERIFY(fixture.findMeter());
    fixture.engine.setRealtimeView(false);
    fixture.platform.clock.advance(1510);
    fixture.engine.setRealtimeView(true);
    fixture.platform.clock.advance(1500);
    QString types;
    for (const ScriptedMeter::Heard &request : fixture.meter.heard)
        types += QString::number(int(request.request[4]));
    // The probe, a link check in the Record view, a realtime request in the Realtime view.
    QCOMPARE(types, QStringLiteral("556"));
    QCOMPARE(fixture.realtime.size(), size_t(1));
}

void EngineTest::downloadTellsCountBlocksAndEnd_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("7") << 7 << QStringList{"count 7",    "block 0+3", "progress 3", "block 3+3",
                                           "progress 6", "block 6+1", "progress 7", "ended 7"};
    QTest::newRow("3") << 3 << QStringList{"count 3", "block 0+3", "progress 3", "ended 3"};
}

void EngineTest::downloadTellsCountBlocksAndEnd() {
    QFETCH(int, records);
    QFETCH(QStringList, events);
    EngineFixture fixture;
    fixture.meter.recordCount = records;
    QVERIFY(fixture.findMeter());
    fixture.engine.setRealtimeView(false);
    fixture.takeEvents();

    QVERIFY(fixture.engine.startDownload());
    QVERIFY(!fixture.engine.Timer_real->Enabled());
    QVERIFY(fixture.runDownload());
    QCOMPARE(fixture.takeEvents().filter(QRegularExpression(QStringLiteral("^(?!port|connected)"))), events);
    QVERIFY(misnumberedRecords(fixture).isEmpty());
    QCOMPARE(int(fixture.shownRecords.size()), records);
    // The TIME reading's unit, and a block the meter left empty (record 5's power factor).
    QCOMPARE(fixture.shownRecords[0].second[0]->unit, QStringLiteral("mins"));
    if (records >= 5)
        QVERIFY(!fixture.shownRecords[4].second[3]);
    QVERIFY(fixture.engine.Timer_real->Enabled());
}

void EngineTest::noRecordsEndsAtOnce() {
    EngineFixture fixture;
    QVERIFY(fixture.findMeter());
    std::optional<bool> pollingWhileTold;
    QObject::connect(&fixture.engine, &MeterEngine::downloadEnded,
                     [&] { pollingWhileTold = fixture.engine.Timer_real->Enabled(); });
    fixture.takeEvents();
    QVERIFY(fixture.engine.startDownload());
    QVERIFY(fixture.runDownload());
    QCOMPARE(fixture.takeEvents().filter(QRegularExpression(QStringLiteral("^(count|ended|block)"))),
             QStringList({"count 0", "ended 0"}));
    // Polling resumes once the listeners have been told, not while they tell the user.
    QCOMPARE(pollingWhileTold, std::optional<bool>(false));
    QVERIFY(fixture.engine.Timer_real->Enabled());
}

void EngineTest::timeOutBreaksTheDownloadOff() {
    EngineFixture fixture;
    fixture.meter.recordCount = 7;
    QVERIFY(fixture.findMeter());
    QVERIFY(fixture.engine.startDownload());
    fixture.waitForRecordRequests(2);
    fixture.meter.fault = ScriptedMeter::Fault::Silent;
    fixture.takeEvents();
    QVERIFY(fixture.runDownload());
    QCOMPARE(fixture.takeEvents().filter(QRegularExpression(QStringLiteral("^(lost|aborted|ended)"))),
             QStringList({"lost", "aborted"}));
    QVERIFY(fixture.engine.Timer_real->Enabled());
    QVERIFY(!fixture.engine.Timer_read->Enabled());
    // A time-out with no download under way breaks nothing off.
    fixture.platform.clock.advance(1500 + 2500);
    QCOMPARE(fixture.takeEvents().filter(QStringLiteral("aborted")), QStringList());
}

void EngineTest::downloadOnlyOnceTheMeterIsFound() {
    EngineFixture fixture;
    fixture.serial.openOutcome.clear();
    fixture.platform.clock.advance(1000);
    QVERIFY(!fixture.engine.startDownload());
    QVERIFY(!fixture.engine.downloading());
    QVERIFY(!fixture.engine.Timer_read->Enabled());
}

void EngineTest::refusedPortsToldOnce() {
    EngineFixture fixture;
    fixture.serial.openOutcome.clear();
    fixture.serial.openOutcome[4] = CommAccessDenied;
    fixture.platform.clock.advance(3 * 16 * 600 + 600);
    QCOMPARE(fixture.takeEvents().filter(QStringLiteral("refused")),
             QStringList({"refused No meter answered on COM1 to COM16, and this user may not open some of "
                          "them. COM4: fake error 8006"}));
}

void EngineTest::stopSilencesEverything() {
    EngineFixture fixture;
    QVERIFY(fixture.findMeter());
    fixture.platform.clock.advance(1501); // a request is outstanding
    QVERIFY(fixture.serial.PortOpen());
    fixture.engine.stop();
    fixture.takeEvents();
    QVERIFY(!fixture.serial.PortOpen());
    fixture.platform.clock.advance(10000);
    QVERIFY(fixture.events.isEmpty());
}

void EngineTest::lateBlockNeverTakenForALaterRequest_data() {
    QTest::addColumn<int>("lateByMs");    // after the time-out of its request
    QTest::addColumn<int>("readAfterMs"); // after that time-out

    // The late block lands between the first block request of the new download and its answer.
    QTest::newRow("37 ms late, Read at once") << 37 << 0;
    QTest::newRow("100 ms late, Read at once") << 100 << 0;
    QTest::newRow("1400 ms late, Read at once") << 1400 << 0;
    QTest::newRow("600 ms late, Read 500 ms on") << 600 << 500;
    QTest::newRow("5 ms late, Read 1000 ms on") << 5 << 1000;
}

// Records carry no number: a block the meter sends after its request timed out must never be
// taken for the answer to a block request of the next download.
void EngineTest::lateBlockNeverTakenForALaterRequest() {
    QFETCH(int, lateByMs);
    QFETCH(int, readAfterMs);
    EngineFixture fixture;
    fixture.meter.recordCount = 7;
    QVERIFY(fixture.findMeter());
    fixture.engine.setRealtimeView(false);
    QVERIFY(fixture.engine.startDownload());

    // The second block (records 4 to 6) is answered only after its request timed out.
    fixture.waitForRecordRequests(1);
    fixture.meter.answerDelayMs = 2500 + lateByMs;
    fixture.waitForRecordRequests(2);
    fixture.meter.answerDelayMs = 5;
    const int64_t timedOutAt = fixture.meter.heard.back().atMs + 2500;
    fixture.platform.clock.advance(timedOutAt - fixture.platform.clock.now());
    QVERIFY(!fixture.engine.downloading());

    fixture.platform.clock.advance(readAfterMs);
    QVERIFY(fixture.engine.startDownload());
    QVERIFY(fixture.runDownload());
    QCOMPARE(misnumberedRecords(fixture), QStringList());
    // The new download brought every record.
    QCOMPARE(fixture.events.filter(QStringLiteral("ended")), QStringList({"ended 7"}));
}

QTEST_GUILESS_MAIN(EngineTest)
#include "tst_link_engine.moc"
