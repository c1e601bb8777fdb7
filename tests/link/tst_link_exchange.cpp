// One exchange with the meter: sending a request, taking and checking its answer.
#include "LinkFixture.h"

#include "link/TimerControl.h"
#include "measure/GridControl.h"
#include "support/VirtualClock.h"

#include <QLabel>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTest>

namespace {

const QString InitialValue = QStringLiteral("0.00mA");

// One reading (item 1, unit 0, "  2.50") and three empty blocks.
QByteArray realtimeAnswer() {
    return ScriptedMeter::frame(6, QByteArray("\x01\x00  2.50", 8) + QByteArray(24, '\x20'));
}

} // namespace

class ExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void sendOrder();
    void typeWithoutFrame_data();
    void typeWithoutFrame();
    void sendingDiscardsPartialAnswer();
    void instantAnswerIsHeard();
    void answer_data();
    void answer();
    void answerInPieces_data();
    void answerInPieces();
    void onlyTheAwaitedAnswer_data();
    void onlyTheAwaitedAnswer();
    void answerAfterOtherBytes_data();
    void answerAfterOtherBytes();
    void bytesArrivingDuringInput_data();
    void bytesArrivingDuringInput();
    void otherEventsIgnored();
    void anyEventCompletesBeforeFirstRequest();
    void garbageAnswersKeepStateInRange();
};

void ExchangeTest::sendOrder() {
    LinkFixture link(1);
    link.form.engine.ComOpen(1);
    link.form.engine.Timer_timeout->setEnabled(false);
    link.serial.log.clear();

    link.form.engine.SendCommand(1, 6, 0, 0, 0);
    // The receive side is emptied before the queued request is handed over.
    QCOMPARE(link.serial.log,
             QStringList({"threshold 38", "output A1 00 01 04 06 03", "clear in", "clear out"}));
    QCOMPARE(int(link.form.engine.state.RxExpectLen), 38);
    QCOMPARE(int(link.form.engine.state.LinkStatus), int(LinkAwaiting));
    QCOMPARE(int(link.form.engine.state.RxCount), 0);
    QVERIFY(link.form.engine.Timer_timeout->Enabled());
    QCOMPARE(static_cast<VirtualTimer *>(link.form.engine.Timer_timeout.get())->dueAt(),
             link.platform.clock.now() + 2500);
}

void ExchangeTest::typeWithoutFrame_data() {
    QTest::addColumn<int>("type");
    QTest::newRow("type 0") << 0;
    QTest::newRow("type 7") << 7;
}

void ExchangeTest::typeWithoutFrame() {
    QFETCH(int, type);
    LinkFixture link(1);
    link.meter.fault = ScriptedMeter::Fault::Silent;
    link.form.engine.ComOpen(1);
    link.form.engine.SendCommand(1, 5, 0, 0, 0);
    link.form.engine.Timer_timeout->setEnabled(false);
    link.form.engine.state.LinkStatus = LinkTimedOut;
    link.serial.log.clear();

    link.form.engine.SendCommand(1, uint8_t(type), 0, 3, 0);
    QCOMPARE(link.serial.log, QStringList({"clear in", "clear out"}));
    QCOMPARE(int(link.form.engine.state.RxExpectLen), 8);
    QCOMPARE(link.serial.threshold, int16_t(8));
    QCOMPARE(int(link.form.engine.state.LinkStatus), int(LinkAwaiting));
    QVERIFY(link.form.engine.Timer_timeout->Enabled());
    QCOMPARE(link.meter.heard.size(), size_t(1));
}

void ExchangeTest::sendingDiscardsPartialAnswer() {
    LinkFixture link(1);
    link.meter.fault = ScriptedMeter::Fault::Silent;
    link.form.engine.ComOpen(1);
    link.form.engine.SendCommand(1, 6, 0, 0, 0);
    link.serial.deliver(realtimeAnswer().left(20));
    QCOMPARE(link.serial.InBufferCount(), 20);
    link.form.engine.SendCommand(1, 6, 0, 0, 0);
    QCOMPARE(link.serial.InBufferCount(), 0);
}

// A meter that answers while the request is still being handed over (a simulator on a
// pseudo-terminal does) must be heard: its answer is not thrown away with stale input.
void ExchangeTest::instantAnswerIsHeard() {
    LinkFixture link(1);
    link.meter.answerDelayMs = 0;
    QVERIFY(link.findMeter());
    QVERIFY(link.advanceToNextRequest());
    link.platform.clock.advance(0);
    QCOMPARE(int(link.form.engine.state.LinkStatus), int(LinkVerified));
    QVERIFY(link.form.Lab_value[0]->text() != InitialValue);
}

void ExchangeTest::answer_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("linkStatus");
    QTest::addColumn<bool>("timeoutStopped");
    QTest::addColumn<bool>("readingsShown");
    QTest::addColumn<int>("type3Value");

    const QByteArray good = realtimeAnswer();
    const QByteArray payload(32, '\x20');
    QByteArray badChecksum = good;
    badChecksum.back() = char(badChecksum.back() ^ 0xFF);

    QTest::newRow("realtime") << good << 2 << true << true << 0;
    QTest::newRow("noise ahead") << QByteArray::fromHex("0013A1FF") + good << 2 << true << true << 0;
    QTest::newRow("bytes after it beyond RxFrame")
        << good + QByteArray(100, '\xB1') << 2 << true << true << 0;
    QTest::newRow("bad checksum") << badChecksum << 3 << false << false << 0;
    QTest::newRow("status 1") << ScriptedMeter::frame(6, payload, 1) << 1 << false << false << 0;
    QTest::newRow("no start byte") << QByteArray(40, '\0') << 1 << false << false << 0;
    QTest::newRow("longer than RxFrame")
        << ScriptedMeter::frame(6, QByteArray(116, '\x20')) << 1 << false << false << 0;
    QTest::newRow("255 bytes holding it") << QByteArray(217, '\x20') + good << 2 << true << true << 0;
    QTest::newRow("more than 255 bytes") << good + QByteArray(230, '\x20') << 1 << false << false << 0;
    QTest::newRow("realtime too short")
        << ScriptedMeter::frame(6, QByteArray(20, '\x20')) + QByteArray(12, '\0') << 2 << false << false << 0;
    QTest::newRow("unlisted type 7") << ScriptedMeter::frame(7, payload) << 2 << false << false << 0;
    // Verified frames of a type the realtime request did not ask for.
    QTest::newRow("type 4") << ScriptedMeter::frame(4, payload) << 2 << false << false << 0;
    QTest::newRow("type F1") << ScriptedMeter::frame(0xF1, payload) << 2 << false << false << 0;
    QTest::newRow("type 3") << ScriptedMeter::frame(3, QByteArray(1, '\x2A') + payload.left(31)) << 2 << false
                            << false << 0;
    QTest::newRow("link check") << ScriptedMeter::frame(5, QByteArray::fromHex("55AA") + payload.left(30))
                                << 2 << false << false << 0;
    QTest::newRow("block nobody asked for")
        << ScriptedMeter::frame(1, ScriptedMeter::record(0)) << 2 << false << false << 0;
}

void ExchangeTest::answer() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, linkStatus);
    QFETCH(bool, timeoutStopped);
    QFETCH(bool, readingsShown);
    QFETCH(int, type3Value);
    LinkFixture link(1);
    QVERIFY(link.findMeter());
    link.form.Lab_rtsta->setText(QStringLiteral("Unconnected"));
    link.meter.scriptedAnswers.push_back(bytes);

    QVERIFY(link.advanceToNextRequest());
    link.platform.clock.advance(10);
    Form1 &form = link.form;
    // Every receive event says the meter is there, whatever becomes of its bytes.
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
    QVERIFY(!link.serial.PortOpen());
    QCOMPARE(int(form.engine.state.LinkStatus), linkStatus);
    QCOMPARE(form.engine.Timer_timeout->Enabled(), !timeoutStopped);
    QCOMPARE(form.Lab_value[0]->text() != InitialValue, readingsShown);
    QCOMPARE(int(form.engine.state.Type3Value), type3Value);
    QCOMPARE(form.engine.state.RxCount, uint8_t(std::min<qsizetype>(bytes.size(), 255)));

    // A dropped answer is reported by the time-out of its request, whatever the later polls.
    link.meter.fault = ScriptedMeter::Fault::Silent;
    link.platform.clock.advance(2490);
    QCOMPARE(form.Lab_rtsta->text(), QString::fromLatin1(timeoutStopped ? "Connected" : "Unconnected"));
}

void ExchangeTest::answerInPieces_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("pieces"); // sizes of the receive events, the last one taking the rest
    QTest::addColumn<bool>("handled");

    const QByteArray good = realtimeAnswer();
    QByteArray lengthPastData = good;
    lengthPastData[3] = char(0x40);
    QTest::newRow("realtime in two halves") << good << QList<int>{19} << true;
    QTest::newRow("realtime in USB packets") << good << QList<int>{15, 16} << true;
    QTest::newRow("noise, then the frame in pieces")
        << QByteArray::fromHex("00FF13") + good << QList<int>{9, 20} << true;
    QTest::newRow("length byte in the second piece") << good << QList<int>{3, 2} << true;
    QTest::newRow("length past data, no rest comes") << lengthPastData << QList<int>{} << false;
    // The first 20 bytes only: a length byte without a frame start holds nothing to wait for.
    QTest::newRow("piece without start byte") << good.mid(1) << QList<int>{20} << false;
    QTest::newRow("announced frame longer than RxFrame")
        << ScriptedMeter::frame(6, QByteArray(116, '\x20')) << QList<int>{40} << false;
}

// A receive event that takes the start of an answer whose length byte announces more keeps
// it and waits for the rest, at a threshold of the bytes still missing.
void ExchangeTest::answerInPieces() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, pieces);
    QFETCH(bool, handled);
    LinkFixture link(1);
    link.meter.fault = ScriptedMeter::Fault::Silent;
    Form1 &form = link.form;
    form.engine.Timer_findcom->setEnabled(false);
    form.engine.ComOpen(1);
    form.engine.SendCommand(1, 6, 0, 0, 0);
    const int64_t sentAt = link.platform.clock.now();

    qsizetype taken = 0;
    for (int piece : pieces) {
        link.serial.raiseEvent(comEvReceive, bytes.mid(taken, piece));
        taken += piece;
        QVERIFY(link.serial.PortOpen() || !handled);
    }
    if (handled)
        QCOMPARE(link.serial.threshold, int16_t(bytes.size() - taken));
    link.serial.deliver(bytes.mid(taken));

    QCOMPARE(!form.engine.Timer_timeout->Enabled(), handled);
    QCOMPARE(int(form.engine.state.LinkStatus), int(handled ? LinkVerified : LinkAwaiting));
    if (handled) {
        QVERIFY(!link.serial.PortOpen());
        QCOMPARE(int(form.engine.state.RxCount), int(bytes.size()));
        QCOMPARE(form.engine.state.RxBuf, bytes);
    }
    QCOMPARE(form.Lab_value[0]->text() != InitialValue, handled);

    link.platform.clock.advance(sentAt + 2500 - link.platform.clock.now());
    QCOMPARE(int(form.engine.state.LinkStatus), int(handled ? LinkVerified : LinkTimedOut));
}

void ExchangeTest::onlyTheAwaitedAnswer_data() {
    QTest::addColumn<int>("requestType");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("taken");

    QTest::newRow("link check to a link check")
        << 5 << ScriptedMeter::frame(5, QByteArray::fromHex("55AA")) << true;
    QTest::newRow("realtime to a link check") << 5 << realtimeAnswer() << false;
    QTest::newRow("link check to a count request")
        << 2 << ScriptedMeter::frame(5, QByteArray::fromHex("55AA")) << false;
    QTest::newRow("count to a realtime request, filling 38 bytes")
        << 6 << ScriptedMeter::frame(2, QByteArray::fromHex("05")) + QByteArray(31, '\0') << false;
    QTest::newRow("type 3 to a type-3 request")
        << 3 << ScriptedMeter::frame(3, QByteArray::fromHex("2A")) << true;
    QTest::newRow("type 4 to a type-4 request")
        << 4 << ScriptedMeter::frame(4, QByteArray::fromHex("00")) << true;
    QTest::newRow("F1 to a type-4 request")
        << 4 << ScriptedMeter::frame(0xF1, QByteArray::fromHex("00")) << false;
    QTest::newRow("block to a block request for no records")
        << 1 << ScriptedMeter::frame(1, ScriptedMeter::record(0)) << false;
    QTest::newRow("block to a count request")
        << 2 << ScriptedMeter::frame(1, ScriptedMeter::record(0)) << false;
}

void ExchangeTest::onlyTheAwaitedAnswer() {
    QFETCH(int, requestType);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, taken);
    LinkFixture link(1);
    link.meter.fault = ScriptedMeter::Fault::Silent;
    Form1 &form = link.form;
    form.engine.ComOpen(1);
    form.engine.SendCommand(1, uint8_t(requestType), 0, 0, 0);
    link.serial.deliver(bytes);

    QCOMPARE(int(form.engine.state.LinkStatus), int(LinkVerified));
    QCOMPARE(!form.engine.Timer_timeout->Enabled(), taken);
    QCOMPARE(form.engine.state.MeterFound, taken && requestType == 5);
    QCOMPARE(int(form.engine.state.Type3Value), taken && requestType == 3 ? 0x2A : 0);
    QCOMPARE(form.Lab_value[0]->text(), InitialValue);
    QCOMPARE(int(form.engine.state.RecordTotal), 0);
    QVERIFY(link.platform.messages.empty());
    QVERIFY(form.Progress_read->isHidden());
}

void ExchangeTest::bytesArrivingDuringInput_data() {
    QTest::addColumn<QByteArray>("counted");
    QTest::addColumn<QByteArray>("late");
    QTest::addColumn<QByteArray>("rest"); // delivered afterwards
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("examined");

    const QByteArray good = realtimeAnswer();
    const QByteArray noise = QByteArray::fromHex("0013A1FF00");
    // The counted bytes announce the rest, and it came while they were taken.
    QTest::newRow("frame's tail arrives late")
        << noise + good.left(good.size() - noise.size()) << good.right(noise.size()) << QByteArray() << true
        << int(noise.size() + good.size());
    // The wait for the rest counts the bytes that came late.
    QTest::newRow("frame's middle arrives late")
        << noise + noise + good.left(28) << good.mid(28, 5) << good.mid(33) << true
        << int(2 * noise.size() + good.size());
    QTest::newRow("whole frame arrives late")
        << QByteArray(good.size(), '\0') << good << QByteArray() << false << int(good.size());
    QTest::newRow("bytes after the frame arrive late")
        << good << QByteArray::fromHex("B1005A") << QByteArray() << true << int(good.size());
}

// Input hands over bytes that came after InBufferCount was read; they are looked at only
// when the counted ones hold the start of a frame that they complete.
void ExchangeTest::bytesArrivingDuringInput() {
    QFETCH(QByteArray, counted);
    QFETCH(QByteArray, late);
    QFETCH(QByteArray, rest);
    QFETCH(bool, accepted);
    QFETCH(int, examined);
    LinkFixture link(1);
    link.meter.fault = ScriptedMeter::Fault::Silent;
    Form1 &form = link.form;
    form.engine.ComOpen(1);
    form.engine.SendCommand(1, 6, 0, 0, 0);
    link.serial.arrivingDuringInput = late;

    link.serial.deliver(counted);
    if (!rest.isEmpty()) {
        QVERIFY(link.serial.PortOpen());
        QCOMPARE(link.serial.threshold, int16_t(rest.size()));
        link.serial.deliver(rest);
    }
    QCOMPARE(int(form.engine.state.RxCount), examined);
    QCOMPARE(form.engine.state.RxBuf, counted + late + rest);
    QVERIFY(!link.serial.PortOpen());
    QCOMPARE(int(form.engine.state.LinkStatus), int(accepted ? LinkVerified : LinkAwaiting));
    QCOMPARE(form.engine.Timer_timeout->Enabled(), !accepted);
    QCOMPARE(form.Lab_value[0]->text() != InitialValue, accepted);
}

void ExchangeTest::answerAfterOtherBytes_data() {
    QTest::addColumn<QByteArray>("ahead");
    QTest::addColumn<bool>("pacedLine");

    const QByteArray notice = ScriptedMeter::frame(0xF1, QByteArray::fromHex("0102"));
    QByteArray badChecksum = notice;
    badChecksum.back() = char(badChecksum.back() ^ 0x5A);
    QTest::newRow("the meter's notice") << notice << false;
    QTest::newRow("a frame nobody asked for") << ScriptedMeter::frame(3, QByteArray::fromHex("2A")) << false;
    QTest::newRow("a frame with a bad checksum") << badChecksum << false;
    // The receive event comes with the answer's start byte in and its length byte still on the line.
    QTest::newRow("noise up to the event, paced line") << QByteArray(36, '\0') << true;
}

// Bytes ahead of every realtime answer, in the same burst: each answer is still found and shown.
void ExchangeTest::answerAfterOtherBytes() {
    QFETCH(QByteArray, ahead);
    QFETCH(bool, pacedLine);
    LinkFixture link(1);
    QVERIFY(link.findMeter());
    if (pacedLine)
        link.meter.fault = ScriptedMeter::Fault::Paced;
    ScriptedMeter &meter = link.meter;
    meter.wrongAnswer = [&meter, ahead](const QByteArray &request) -> std::optional<QByteArray> {
        if (request[4] != char(6))
            return std::nullopt;
        return ahead + meter.answerTo(request);
    };

    Form1 &form = link.form;
    for (int poll = 0; poll < 4; ++poll) {
        form.Lab_value[0]->setText(QString());
        QVERIFY(link.advanceToNextRequest());
        link.platform.clock.advance(100);
        QVERIFY2(!form.Lab_value[0]->text().isEmpty(), qPrintable(QString::number(poll)));
        QCOMPARE(int(form.engine.state.LinkStatus), int(LinkVerified));
        QVERIFY(!form.engine.Timer_timeout->Enabled());
    }
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
}

void ExchangeTest::otherEventsIgnored() {
    LinkFixture link(1);
    link.form.engine.ComOpen(1);
    link.serial.raiseEvent(3, realtimeAnswer());
    QVERIFY(link.serial.PortOpen());
    QCOMPARE(int(link.form.engine.state.RxCount), 0);
    QCOMPARE(link.form.Lab_rtsta->text(), QStringLiteral("Unconnected"));
}

void ExchangeTest::anyEventCompletesBeforeFirstRequest() {
    LinkFixture link(1);
    link.form.engine.ComOpen(1);
    link.serial.raiseEvent(comEvReceive, QByteArray(1, '\0'));
    QVERIFY(!link.serial.PortOpen());
    QCOMPARE(int(link.form.engine.state.LinkStatus), int(LinkIdle));
}

// Frames that pass the checksum but carry anything at all, answering any request, in the
// middle of downloads the meter's own counts start: the form state stays in its ranges.
void ExchangeTest::garbageAnswersKeepStateInRange() {
    LinkFixture link(1);
    link.meter.fault = ScriptedMeter::Fault::Silent;
    Form1 &form = link.form;
    QRandomGenerator random(4242);
    const uint8_t types[] = {1, 1, 1, 2, 2, 3, 4, 5, 6, 0xF1, 0, 7, 0xFF};
    for (int round = 0; round < 3000; ++round) {
        form.engine.ComOpen(1);
        if (random.bounded(0, 3) != 0)
            form.engine.SendCommand(1, uint8_t(random.bounded(0, 8)), int16_t(random.bounded(0, 260)),
                                    int16_t(random.bounded(0, 5)), 0);
        // Half of them as long as whole records, so record blocks get through.
        const int size =
            random.bounded(0, 2) == 0 ? 32 * int(random.bounded(1, 4)) : int(random.bounded(0, 118));
        QByteArray payload(size, Qt::Uninitialized);
        for (char &byte : payload)
            byte = char(random.bounded(0, 256));
        QByteArray bytes = ScriptedMeter::frame(types[random.bounded(0, int(std::size(types)))], payload);
        if (random.bounded(0, 4) == 0)
            bytes.prepend(QByteArray(int(random.bounded(0, 200)), char(0xA5)));
        if (random.bounded(0, 8) == 0)
            bytes.back() = char(~bytes.back());
        link.serial.raiseEvent(comEvReceive, bytes);

        const LinkState &state = form.engine.state;
        QVERIFY(state.LinkStatus <= LinkBadChecksum);
        QVERIFY(state.RecordTotal >= 0 && state.RecordTotal <= 201);
        QVERIFY(state.RecordBlocks == 0 || state.RecordBlocks * 3 < state.RecordTotal);
        QVERIFY(form.DataGrid->Rows() <= 2 * 201);
        QCOMPARE(int(state.ComNum), 1);
    }
}

QTEST_MAIN(ExchangeTest)
#include "tst_link_exchange.moc"
