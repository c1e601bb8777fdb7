// The meter protocol's byte rules: request frames, finding and checking answers, record counts.
#include "link/Requests.h"
#include "link/Responses.h"
#include "support/ScriptedMeter.h"

#include <QRandomGenerator>
#include <QTest>

Q_DECLARE_METATYPE(FrameVerdict)

namespace {

const uint8_t *bytesOf(const QByteArray &bytes) {
    return reinterpret_cast<const uint8_t *>(bytes.constData());
}

QByteArray hex(const char *text) {
    return QByteArray::fromHex(text);
}

} // namespace

class LinkFrames : public QObject {
    Q_OBJECT
private slots:
    void requestFrame_data();
    void requestFrame();
    void typesWithoutRequest();
    void checkFrame_data();
    void checkFrame();
    void answerFits_data();
    void answerFits();
    void recordCount_data();
    void recordCount();
    void randomBytesStayInBounds();
};

void LinkFrames::requestFrame_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("param");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("answerLength");

    QTest::newRow("records 0, 3") << 1 << 0 << 3 << 0 << hex("A1 00 01 08 01 00 00 00 03 0B") << 102;
    QTest::newRow("records 3, 3") << 1 << 3 << 3 << 0 << hex("A1 00 01 08 01 00 03 00 03 08") << 102;
    QTest::newRow("records 0, 1") << 1 << 0 << 1 << 0 << hex("A1 00 01 08 01 00 00 00 01 09") << 38;
    QTest::newRow("start capped to 200") << 1 << 250 << 3 << 0 << hex("A1 00 01 08 01 00 C8 00 01 C1") << 38;
    QTest::newRow("count capped at 200") << 1 << 199 << 3 << 0 << hex("A1 00 01 08 01 00 C7 00 02 CD") << 70;
    QTest::newRow("count capped to 3") << 1 << 0 << 40 << 0 << hex("A1 00 01 08 01 00 00 00 03 0B") << 102;
    QTest::newRow("count 0") << 1 << 0 << 0 << 0 << hex("A1 00 01 08 01 00 00 00 00 08") << 6;
    QTest::newRow("start above a byte") << 1 << 198 << 3 << 0 << hex("A1 00 01 08 01 00 C6 00 03 CD") << 102;
    QTest::newRow("start 256 capped") << 1 << 256 << 1 << 0 << hex("A1 00 01 08 01 00 C8 00 01 C1") << 38;
    QTest::newRow("negative start and count")
        << 1 << -5 << -1 << 0 << hex("A1 00 01 08 01 00 00 00 00 08") << 6;
    QTest::newRow("largest start and count")
        << 1 << 32767 << 32767 << 0 << hex("A1 00 01 08 01 00 C8 00 01 C1") << 38;
    QTest::newRow("record count") << 2 << 0 << 0 << 0 << hex("A1 00 01 04 02 07") << 7;
    QTest::newRow("record count ignores start") << 2 << 7 << 3 << 9 << hex("A1 00 01 04 02 07") << 7;
    QTest::newRow("type 3") << 3 << 0 << 0 << 0 << hex("A1 00 FF 04 03 F8") << 7;
    QTest::newRow("type 4, param 0") << 4 << 0 << 0 << 0 << hex("A1 00 FF 05 04 00 FE") << 7;
    QTest::newRow("type 4, param 5A") << 4 << 0 << 0 << 0x5A << hex("A1 00 FF 05 04 5A A4") << 7;
    QTest::newRow("link check") << 5 << 0 << 0 << 0 << hex("A1 00 01 06 05 55 AA FD") << 8;
    QTest::newRow("link check ignores param") << 5 << 2 << 2 << 7 << hex("A1 00 01 06 05 55 AA FD") << 8;
    QTest::newRow("realtime") << 6 << 0 << 0 << 0 << hex("A1 00 01 04 06 03") << 38;
}

void LinkFrames::requestFrame() {
    QFETCH(int, type);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(int, param);
    QFETCH(QByteArray, frame);
    QFETCH(int, answerLength);

    const std::optional<Request> request =
        buildRequest(1, uint8_t(type), int16_t(start), int16_t(count), uint8_t(param));
    QVERIFY(request);
    QCOMPARE(request->frame.toHex(' '), frame.toHex(' '));
    QCOMPARE(int(request->answerLength), answerLength);
    QCOMPARE(int(request->records), type == 1 ? (answerLength - 6) / 32 : 0);
}

void LinkFrames::typesWithoutRequest() {
    for (int type : {0, 7, 0xF1, 0xFF}) {
        QVERIFY2(!buildRequest(1, uint8_t(type), 0, 3, 0), qPrintable(QString::number(type)));
        QVERIFY(!exchangeKind(uint8_t(type)));
    }
}

void LinkFrames::checkFrame_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("counted");
    QTest::addColumn<FrameVerdict>("verdict");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("missing");

    const QByteArray link = ScriptedMeter::frame(5, hex("55AA"));
    const QByteArray realtime = ScriptedMeter::frame(6, QByteArray(32, '1'));
    QByteArray badChecksum = link;
    badChecksum.back() = char(badChecksum.back() ^ 0x80);
    QByteArray tooShortForType = hex("B1 00 00 02 00 00");
    QByteArray longest = ScriptedMeter::frame(0xF1, QByteArray(115, '\x33'));
    QByteArray tooLong = ScriptedMeter::frame(0xF1, QByteArray(116, '\x33'));
    // One length rule for a frame whose rest is still coming and one that is whole.
    QByteArray announcesTooLong = tooLong.left(40);

    QTest::newRow("link check") << link << 8 << FrameVerdict::Verified << 0 << 8 << 0;
    QTest::newRow("realtime") << realtime << 38 << FrameVerdict::Verified << 0 << 38 << 0;
    QTest::newRow("noise ahead") << hex("00 FF A1") + link << 11 << FrameVerdict::Verified << 3 << 8 << 0;
    QTest::newRow("trailing bytes") << link + hex("B1B1") << 10 << FrameVerdict::Verified << 0 << 8 << 0;
    QTest::newRow("empty") << QByteArray() << 0 << FrameVerdict::NoFrame << 0 << 0 << 0;
    QTest::newRow("no start byte") << hex("A1 00 01 06 05") << 5 << FrameVerdict::NoFrame << 5 << 0 << 0;
    QTest::newRow("start byte alone") << hex("00 B1") << 2 << FrameVerdict::Incomplete << 1 << 0 << 5;
    QTest::newRow("length byte still to come")
        << link.left(3) << 3 << FrameVerdict::Incomplete << 0 << 0 << 3;
    QTest::newRow("five bytes from start") << link.left(5) << 5 << FrameVerdict::Incomplete << 0 << 8 << 3;
    QTest::newRow("length past data") << link.left(7) << 7 << FrameVerdict::Incomplete << 0 << 8 << 1;
    QTest::newRow("frame beyond counted bytes") << link << 7 << FrameVerdict::Incomplete << 0 << 8 << 1;
    QTest::newRow("length 255 in 6 bytes")
        << hex("B1 00 00 FF 05 00") << 6 << FrameVerdict::BadLength << 0 << 257 << 0;
    QTest::newRow("122 announced in 40 bytes")
        << announcesTooLong << 40 << FrameVerdict::BadLength << 0 << 122 << 0;
    QTest::newRow("length byte too small") << tooShortForType << 6 << FrameVerdict::BadLength << 0 << 4 << 0;
    QTest::newRow("121 bytes") << longest << 121 << FrameVerdict::Verified << 0 << 121 << 0;
    QTest::newRow("121 announced in 40 bytes")
        << longest.left(40) << 40 << FrameVerdict::Incomplete << 0 << 121 << 81;
    QTest::newRow("122 bytes") << tooLong << 122 << FrameVerdict::BadLength << 0 << 122 << 0;
    QTest::newRow("status not 0") << ScriptedMeter::frame(5, hex("55AA"), 1) << 8 << FrameVerdict::BadStatus
                                  << 0 << 8 << 0;
    QTest::newRow("bad checksum") << badChecksum << 8 << FrameVerdict::BadChecksum << 0 << 8 << 0;
    QTest::newRow("first start byte wins") << hex("B1") + link << 9 << FrameVerdict::BadLength << 0 << 2 << 0;
}

void LinkFrames::checkFrame() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, counted);
    QFETCH(FrameVerdict, verdict);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(int, missing);

    const FrameCheck check = ::checkFrame(bytesOf(bytes), counted);
    QCOMPARE(check.verdict, verdict);
    QCOMPARE(check.start, start);
    QCOMPARE(check.length, length);
    QCOMPARE(check.missing, missing);
}

void LinkFrames::answerFits_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("fits");

    QTest::newRow("one record") << 1 << 38 << true;
    QTest::newRow("two records") << 1 << 70 << true;
    QTest::newRow("three records") << 1 << 102 << true;
    QTest::newRow("no record") << 1 << 6 << false;
    QTest::newRow("four records") << 1 << 134 << false;
    QTest::newRow("block not whole records") << 1 << 40 << false;
    QTest::newRow("count, one byte") << 2 << 7 << true;
    QTest::newRow("count, two bytes") << 2 << 8 << true;
    QTest::newRow("count without a byte") << 2 << 6 << false;
    QTest::newRow("count, three bytes") << 2 << 9 << false;
    QTest::newRow("type 3 with its byte") << 3 << 7 << true;
    QTest::newRow("type 3 without it") << 3 << 6 << false;
    QTest::newRow("type 4") << 4 << 7 << true;
    QTest::newRow("link check") << 5 << 8 << true;
    QTest::newRow("link check missing a byte") << 5 << 7 << false;
    QTest::newRow("link check a byte long") << 5 << 9 << false;
    QTest::newRow("realtime") << 6 << 38 << true;
    QTest::newRow("realtime short") << 6 << 37 << false;
    QTest::newRow("realtime long") << 6 << 39 << false;
}

void LinkFrames::answerFits() {
    QFETCH(int, type);
    QFETCH(int, length);
    QFETCH(bool, fits);
    const ExchangeKind *kind = exchangeKind(uint8_t(type));
    QVERIFY(kind);
    QCOMPARE(kind->answerFits(length), fits);
}

void LinkFrames::recordCount_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("expected");

    QTest::newRow("7 bytes, 7") << ScriptedMeter::frame(2, hex("07")) << 7;
    QTest::newRow("7 bytes, 255") << ScriptedMeter::frame(2, hex("FF")) << 201;
    QTest::newRow("8 bytes, 200") << ScriptedMeter::frame(2, hex("C800")) << 200;
    QTest::newRow("8 bytes, 201") << ScriptedMeter::frame(2, hex("C900")) << 201;
    QTest::newRow("8 bytes, 0x0102 low first") << ScriptedMeter::frame(2, hex("0201")) << 201;
    QTest::newRow("8 bytes, 3 low first") << ScriptedMeter::frame(2, hex("0300")) << 3;
    QTest::newRow("8 bytes, 32768") << ScriptedMeter::frame(2, hex("0080")) << 201;
    QTest::newRow("8 bytes, 65535") << ScriptedMeter::frame(2, hex("FFFF")) << 201;
    QTest::newRow("8 bytes, 0") << ScriptedMeter::frame(2, hex("0000")) << 0;
}

void LinkFrames::recordCount() {
    QFETCH(QByteArray, frame);
    QFETCH(int, expected);
    QCOMPARE(int(downloadRecordCount(bytesOf(frame), int(frame.size()))), expected);
}

// Garbage of every length through the checker: whatever it says must describe bytes that
// were there, and a verified frame must really carry its checksum.
void LinkFrames::randomBytesStayInBounds() {
    QRandomGenerator random(20261209);
    for (int round = 0; round < 20000; ++round) {
        const int size = int(random.bounded(0, 300));
        QByteArray bytes(size, Qt::Uninitialized);
        for (char &byte : bytes)
            byte = char(random.bounded(0, 8) == 0 ? 0xB1 : random.bounded(0, 256));
        const int counted = size == 0 ? 0 : int(random.bounded(0, size + 1));
        // Only the counted bytes are handed over, so reading past them would show in a sanitizer.
        const QByteArray handed = bytes.left(counted);
        const FrameCheck check = ::checkFrame(bytesOf(handed), counted);
        QVERIFY(check.start >= 0 && check.start <= counted);
        // A frame still coming, and one judged whole, both have a length a frame can have.
        if (check.verdict == FrameVerdict::Incomplete) {
            QVERIFY(check.missing > 0);
            QVERIFY(check.start + check.length > counted || check.length == 0);
            QVERIFY(check.length == 0 || (check.length >= 6 && check.length <= 121));
        }
        if (check.verdict < FrameVerdict::BadStatus)
            continue;
        QVERIFY(check.start + check.length <= counted);
        QVERIFY(check.length >= 6 && check.length <= 121);
        if (check.verdict == FrameVerdict::Verified) {
            uint8_t checksum = 0;
            for (int i = 1; i < check.length - 1; ++i)
                checksum ^= uint8_t(handed[check.start + i]);
            QCOMPARE(checksum, uint8_t(handed[check.start + check.length - 1]));
            QCOMPARE(uint8_t(handed[check.start + 2]), uint8_t(0));
        }
    }
}

QTEST_GUILESS_MAIN(LinkFrames)
#include "tst_link_frames.moc"
