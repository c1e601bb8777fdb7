#include "Answers.h"
#include "Faults.h"
#include "Frames.h"
#include "MeterContent.h"
#include "Options.h"
#include "Readings.h"

#include <QtTest>

#include <cmath>
#include <stdexcept>

using namespace metersim;

namespace {

Bytes bytes(const char *hex) {
    const QByteArray raw = QByteArray::fromHex(hex);
    return Bytes(raw.begin(), raw.end());
}

QString hexOf(const Bytes &data) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(data.data()), int(data.size())).toHex(' ').toUpper());
}

QString hexOf(const char *hex) {
    return hexOf(bytes(hex));
}

// Independent of the code under test: the frame rules written out once more.
void verifyAnswerFrame(const Bytes &frame) {
    QVERIFY(frame.size() >= 6);
    QCOMPARE(frame[0], uint8_t{0xB1});
    QCOMPARE(frame[2], uint8_t{0x00});
    QCOMPARE(std::size_t{frame[3]} + 2, frame.size());
    uint8_t checksum = 0;
    for (std::size_t i = 1; i + 1 < frame.size(); ++i)
        checksum ^= frame[i];
    QCOMPARE(frame.back(), checksum);
}

QString valueText(const Bytes &payload, std::size_t block) {
    return QString::fromLatin1(reinterpret_cast<const char *>(payload.data() + block * 8 + 2), 6);
}

} // namespace

class TestMetersimLogic : public QObject {
    Q_OBJECT

private slots:
    void readsRequests_data();
    void readsRequests();
    void answers_data();
    void answers();
    void recordBlocks_data();
    void recordBlocks();
    void recordContent_data();
    void recordContent();
    void realtimeContent_data();
    void realtimeContent();
    void fixedPointText_data();
    void fixedPointText();
    void damage_data();
    void damage();
    void schedule_data();
    void schedule();
    void options_data();
    void options();
};

void TestMetersimLogic::readsRequests_data() {
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<int>("leftPending");

    const QString link = "A1 00 01 06 05 55 AA FD";
    const QString realtime = "A1 00 01 04 06 03";
    QTest::newRow("link check") << QStringList{link} << QStringList{link} << 0 << 0;
    QTest::newRow("realtime") << QStringList{realtime} << QStringList{realtime} << 0 << 0;
    QTest::newRow("record count") << QStringList{"A1 00 01 04 02 07"} << QStringList{"A1 00 01 04 02 07"} << 0
                                  << 0;
    QTest::newRow("records 0+3") << QStringList{"A1 00 01 08 01 00 00 00 03 0B"}
                                 << QStringList{"A1 00 01 08 01 00 00 00 03 0B"} << 0 << 0;
    QTest::newRow("records 200+1") << QStringList{"A1 00 01 08 01 00 C8 00 01 C1"}
                                   << QStringList{"A1 00 01 08 01 00 C8 00 01 C1"} << 0 << 0;
    QTest::newRow("type 4 with parameter")
        << QStringList{"A1 00 FF 05 04 00 FE"} << QStringList{"A1 00 FF 05 04 00 FE"} << 0 << 0;
    QTest::newRow("byte by byte") << link.split(' ') << QStringList{link} << 0 << 0;
    QTest::newRow("split across header")
        << QStringList{"A1 00 01", "06 05 55 AA FD"} << QStringList{link} << 0 << 0;
    QTest::newRow("two in one piece")
        << QStringList{realtime + " " + link} << QStringList{realtime, link} << 0 << 0;
    QTest::newRow("incomplete waits") << QStringList{"A1 00 01 06 05 55"} << QStringList{} << 0 << 6;
    QTest::newRow("noise before") << QStringList{"00 FF 13 0D " + realtime} << QStringList{realtime} << 4
                                  << 0;
    QTest::newRow("answer start byte is noise")
        << QStringList{"B1 01 00 " + realtime} << QStringList{realtime} << 3 << 0;
    QTest::newRow("start byte twice") << QStringList{"A1 " + realtime} << QStringList{realtime} << 1 << 0;
    QTest::newRow("bad checksum resyncs")
        << QStringList{"A1 00 01 04 06 04 " + realtime} << QStringList{realtime} << 6 << 0;
    // A start byte inside a rejected frame is where the next request begins.
    QTest::newRow("start inside bad frame")
        << QStringList{"A1 00 01 04 06 " + realtime} << QStringList{realtime} << 5 << 0;
    QTest::newRow("length too short")
        << QStringList{"A1 00 01 03 " + realtime} << QStringList{realtime} << 4 << 0;
    QTest::newRow("length too long") << QStringList{"A1 00 01 09 " + realtime} << QStringList{realtime} << 4
                                     << 0;
    QTest::newRow("noise only") << QStringList{"00 11 22 33"} << QStringList{} << 4 << 0;
}

void TestMetersimLogic::readsRequests() {
    QFETCH(QStringList, pieces);
    QFETCH(QStringList, requests);
    QFETCH(int, skipped);
    QFETCH(int, leftPending);

    RequestReader reader;
    QStringList received;
    std::size_t skippedTotal = 0;
    for (const QString &piece : pieces) {
        const Bytes data = bytes(piece.toLatin1().constData());
        const RequestReader::Result result = reader.feed(data.data(), data.size());
        for (const Bytes &request : result.requests)
            received << hexOf(request);
        skippedTotal += result.skipped;
    }
    QStringList expected;
    for (const QString &request : requests)
        expected << hexOf(request.toLatin1().constData());
    QCOMPARE(received, expected);
    QCOMPARE(skippedTotal, std::size_t(skipped));
    QCOMPARE(reader.pendingSize(), std::size_t(leftPending));
}

void TestMetersimLogic::answers_data() {
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("longCount");
    QTest::addColumn<QString>("answer"); // empty: no answer

    const QString count = "A1 00 01 04 02 07";
    QTest::newRow("link check") << "A1 00 01 06 05 55 AA FD" << 7 << false << "B1 01 00 06 05 55 AA FD";
    QTest::newRow("count 7, one byte") << count << 7 << false << "B1 01 00 05 02 07 01";
    QTest::newRow("count 0, one byte") << count << 0 << false << "B1 01 00 05 02 00 06";
    QTest::newRow("count 255, one byte") << count << 255 << false << "B1 01 00 05 02 FF F9";
    QTest::newRow("count 200, two bytes asked") << count << 200 << true << "B1 01 00 06 02 C8 00 CD";
    QTest::newRow("count 256, two bytes anyway") << count << 256 << false << "B1 01 00 06 02 00 01 04";
    QTest::newRow("count 300, two bytes anyway") << count << 300 << false << "B1 01 00 06 02 2C 01 28";
    QTest::newRow("type 3") << "A1 00 FF 04 03 F8" << 7 << false << "B1 01 00 05 03 00 07";
    QTest::newRow("type 4 echoes its parameter")
        << "A1 00 FF 05 04 2A D4" << 7 << false << "B1 01 00 05 04 2A 2A";
    QTest::newRow("unknown type 7") << "A1 00 01 04 07 02" << 7 << false << "";
    QTest::newRow("type 0") << "A1 00 01 04 00 05" << 7 << false << "";
    QTest::newRow("link check of wrong length") << "A1 00 01 04 05 00" << 7 << false << "";
    QTest::newRow("realtime of wrong length") << "A1 00 01 05 06 00 02" << 7 << false << "";
}

void TestMetersimLogic::answers() {
    QFETCH(QString, request);
    QFETCH(int, records);
    QFETCH(bool, longCount);
    QFETCH(QString, answer);

    const std::optional<Bytes> frame =
        answerFor(bytes(request.toLatin1().constData()), {records, longCount, 0, 0});
    if (answer.isEmpty()) {
        QVERIFY(!frame);
        return;
    }
    QVERIFY(frame);
    QCOMPARE(hexOf(*frame), hexOf(answer.toLatin1().constData()));
}

void TestMetersimLogic::recordBlocks_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("sent"); // records in the answer, from `start` on

    QTest::newRow("first block of 7") << 7 << 0 << 3 << 3;
    QTest::newRow("last block of 7") << 7 << 6 << 1 << 1;
    QTest::newRow("more asked than left") << 7 << 6 << 3 << 1;
    QTest::newRow("single record") << 1 << 0 << 1 << 1;
    QTest::newRow("past the end") << 7 << 7 << 3 << 0;
    QTest::newRow("none stored") << 0 << 0 << 3 << 0;
    QTest::newRow("at most three") << 200 << 0 << 5 << 3;
    QTest::newRow("record 200 of 300") << 300 << 200 << 1 << 1;
    QTest::newRow("high start byte") << 300 << 297 << 3 << 3;
}

void TestMetersimLogic::recordBlocks() {
    QFETCH(int, stored);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(int, sent);

    Bytes request{
        0xA1,          0x00, 0x01, 0x08, 0x01, uint8_t(start >> 8), uint8_t(start), uint8_t(count >> 8),
        uint8_t(count)};
    uint8_t checksum = 0;
    for (std::size_t i = 1; i < request.size(); ++i)
        checksum ^= request[i];
    request.push_back(checksum);

    const std::optional<Bytes> frame = answerFor(request, {stored, false, 0, 0});
    QVERIFY(frame);
    verifyAnswerFrame(*frame);
    QCOMPARE(frame->size(), std::size_t(6 + 32 * sent));
    QCOMPARE((*frame)[4], uint8_t{1});
    for (int k = 0; k < sent; ++k) {
        const Bytes expected = recordPayload(start + k);
        QVERIFY2(std::equal(expected.begin(), expected.end(), frame->begin() + 5 + 32 * k),
                 qPrintable(QString("record %1").arg(start + k)));
    }
}

void TestMetersimLogic::recordContent_data() {
    // Each block as item code, unit code and the six value bytes in hex.
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("blocks");

    QTest::newRow("NO.1") << 0
                          << QStringList{"2E 0F 00 00 00 3C 20 20", "04 03 20 32 32 30 2E 30",
                                         "00 01 20 31 2E 30 30 30", "17 13 20 30 2E 38 30 30"};
    QTest::newRow("NO.2 on phase 2") << 1
                                     << QStringList{"2E 0F 00 00 00 78 20 20", "05 03 20 32 32 30 2E 31",
                                                    "01 01 20 31 2E 30 30 31", "18 13 20 30 2E 38 30 31"};
    QTest::newRow("NO.5 has no PF") << 4
                                    << QStringList{"2E 0F 00 00 01 2C 20 20", "05 03 20 32 32 30 2E 34",
                                                   "01 01 20 31 2E 30 30 34", "20 20 20 20 20 20 20 20"};
    QTest::newRow("NO.60 is one hour") << 59
                                       << QStringList{"2E 10 00 00 0E 10 20 20", "06 03 20 32 32 35 2E 39",
                                                      "02 01 20 31 2E 30 35 39", "20 20 20 20 20 20 20 20"};
    QTest::newRow("NO.62 after an hour") << 61
                                         << QStringList{"2E 10 00 00 0E 88 20 20", "05 03 20 32 32 36 2E 31",
                                                        "01 01 20 31 2E 30 36 31", "18 13 20 30 2E 38 36 31"};
    QTest::newRow("NO.201 wraps U and PF")
        << 200
        << QStringList{"2E 10 00 00 2F 1C 20 20", "06 03 20 32 32 30 2E 30", "02 01 20 31 2E 32 30 30",
                       "19 13 20 30 2E 38 30 30"};
}

void TestMetersimLogic::recordContent() {
    QFETCH(int, index);
    QFETCH(QStringList, blocks);

    const Bytes payload = recordPayload(index);
    QCOMPARE(payload.size(), std::size_t(32));
    for (int j = 0; j < 4; ++j)
        QCOMPARE(hexOf(Bytes(payload.begin() + 8 * j, payload.begin() + 8 * j + 8)),
                 hexOf(blocks[j].toLatin1().constData()));
}

void TestMetersimLogic::realtimeContent_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<QList<int>>("items");
    QTest::addColumn<QList<int>>("units");

    QTest::newRow("phase 1 powers") << 0 << QList<int>{11, 15, 19, 23} << QList<int>{7, 9, 11, 19};
    QTest::newRow("phase 2 powers") << 1 << QList<int>{12, 16, 20, 24} << QList<int>{7, 9, 11, 19};
    QTest::newRow("phase 3 powers") << 2 << QList<int>{13, 17, 21, 25} << QList<int>{7, 9, 11, 19};
    QTest::newRow("total powers") << 3 << QList<int>{14, 18, 22, 26} << QList<int>{8, 10, 12, 19};
    QTest::newRow("voltages") << 4 << QList<int>{4, 5, 6, 0} << QList<int>{3, 3, 3, 1};
    QTest::newRow("currents and time") << 5 << QList<int>{1, 2, 3, 46} << QList<int>{1, 1, 1, 15};
    QTest::newRow("sets repeat") << 6 << QList<int>{11, 15, 19, 23} << QList<int>{7, 9, 11, 19};
}

void TestMetersimLogic::realtimeContent() {
    QFETCH(int, set);
    QFETCH(QList<int>, items);
    QFETCH(QList<int>, units);

    QStringList texts;
    for (double t = 0; t < 3000; t += 7.3) {
        const Bytes payload = realtimePayload(std::size_t(set), t);
        QCOMPARE(payload.size(), std::size_t(32));
        double values[4] = {};
        for (int j = 0; j < 4; ++j) {
            QCOMPARE(int(payload[8 * j]), items[j]);
            QCOMPARE(int(payload[8 * j + 1]), units[j]);
            if (items[j] == item::Time) {
                const uint32_t seconds = uint32_t(payload[2 + 8 * j]) << 24 | payload[3 + 8 * j] << 16 |
                                         payload[4 + 8 * j] << 8 | payload[5 + 8 * j];
                QCOMPARE(seconds, uint32_t(t));
                continue;
            }
            const QString text = valueText(payload, std::size_t(j));
            texts << text;
            // The program blanks a point in the fourth place of items 0..22, so the meter never puts one
            // there.
            if (items[j] <= 22)
                QVERIFY2(text[3] != '.', qPrintable(text));
            bool ok = false;
            values[j] = text.trimmed().toDouble(&ok);
            QVERIFY2(ok && text.size() == 6 && text.trimmed().size() >= 5, qPrintable(text));
        }
        if (set == 4) {
            for (int j = 0; j < 3; ++j)
                QVERIFY2(values[j] > 225 && values[j] < 235, qPrintable(QString::number(values[j])));
            QVERIFY(values[3] > 2 && values[3] < 6);
        } else if (set == 5) {
            QVERIFY(values[0] > 2 && values[0] < 6 && values[1] > 2 && values[1] < 6);
            QVERIFY(values[2] >= 0 && values[2] < 5);
        } else {
            const double p = values[0], q = values[1], s = values[2], pf = values[3];
            QVERIFY2(pf >= 0.8 && pf <= 1.0, qPrintable(QString::number(pf)));
            // P = S PF and P² + Q² = S² within the rounding of the six-character texts.
            const double tolerance = set == 3 ? 0.01 : 1.0;
            QVERIFY2(std::abs(s * pf - p) < tolerance + s * 0.001, qPrintable(texts.join('|')));
            QVERIFY2(std::abs(std::hypot(p, q) - s) < tolerance, qPrintable(texts.join('|')));
        }
    }
    texts.removeDuplicates();
    QVERIFY2(texts.size() > 50, "the readings should drift over time");
}

void TestMetersimLogic::fixedPointText_data() {
    QTest::addColumn<long>("scaled");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text"); // empty: does not fit

    QTest::newRow("voltage") << 2301L << 1 << " 230.1";
    QTest::newRow("full width") << 12345L << 3 << "12.345";
    QTest::newRow("leading zero") << 7L << 3 << " 0.007";
    QTest::newRow("negative below one") << -5L << 1 << "  -0.5";
    QTest::newRow("negative") << -1234L << 2 << "-12.34";
    QTest::newRow("negative too wide") << -12345L << 2 << "";
    QTest::newRow("whole number") << 999999L << 0 << "999999";
    QTest::newRow("seven digits") << 1000000L << 0 << "";
    QTest::newRow("too many decimals") << 123456L << 1 << "";
}

void TestMetersimLogic::fixedPointText() {
    QFETCH(long, scaled);
    QFETCH(int, decimals);
    QFETCH(QString, text);

    if (text.size() != 6) {
        QVERIFY_THROWS_EXCEPTION(std::range_error, metersim::fixedPointText(scaled, decimals));
        return;
    }
    const std::array<char, 6> field = metersim::fixedPointText(scaled, decimals);
    QCOMPARE(QString::fromLatin1(field.data(), 6), text);
}

void TestMetersimLogic::damage_data() {
    QTest::addColumn<bool>("badChecksum");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("noise");
    QTest::addColumn<QString>("sent");

    const char *link = "B1 01 00 06 05 55 AA FD";
    QTest::newRow("untouched") << false << 0 << 0 << hexOf(link);
    QTest::newRow("status refused, checksum still right")
        << false << 1 << 0 << hexOf("B1 01 01 06 05 55 AA FC");
    QTest::newRow("bad checksum") << true << 0 << 0 << hexOf("B1 01 00 06 05 55 AA 02");
    QTest::newRow("noise ahead") << false << 0 << 3 << hexOf("00 FF 55 B1 01 00 06 05 55 AA FD");
}

void TestMetersimLogic::damage() {
    QFETCH(bool, badChecksum);
    QFETCH(int, status);
    QFETCH(int, noise);
    QFETCH(QString, sent);

    const Damage spoil{badChecksum, uint8_t(status), std::size_t(noise)};
    QCOMPARE(hexOf(damaged(bytes("B1 01 00 06 05 55 AA FD"), spoil)), sent);
}

void TestMetersimLogic::schedule_data() {
    // Probes are "index:at_us:begin:end" for chosen chunks.
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("pieces");
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("paced");
    QTest::addColumn<int>("usbLatencyMs");
    QTest::addColumn<int>("chunks");
    QTest::addColumn<QStringList>("probes");

    QTest::newRow("at once") << 38 << 0 << 1 << 50 << false << 0 << 1 << QStringList{"0:0:0:38"};
    QTest::newRow("delayed") << 8 << 3000 << 1 << 50 << false << 0 << 1 << QStringList{"0:3000000:0:8"};
    QTest::newRow("three pieces") << 38 << 0 << 3 << 100 << false << 0 << 3
                                  << QStringList{"0:0:0:12", "1:100000:12:25", "2:200000:25:38"};
    QTest::newRow("more pieces than bytes")
        << 6 << 0 << 10 << 1 << false << 0 << 6 << QStringList{"0:0:0:1", "5:5000:5:6"};
    // After the 6-byte request's own 6.25 ms on the wire, a byte each 1.042 ms.
    QTest::newRow("paced") << 38 << 0 << 1 << 50 << true << 0 << 38
                           << QStringList{"0:7291:0:1", "1:8333:1:2", "37:45833:37:38"};
    QTest::newRow("paced, delayed, in two pieces")
        << 8 << 10 << 2 << 20 << true << 0 << 8 << QStringList{"0:17291:0:1", "3:20416:3:4", "4:41458:4:5"};
    // Bytes 0..8 land by 16 ms, 9..23 by 32 ms, the rest by 48 ms.
    QTest::newRow("paced, USB packets of 16 ms")
        << 38 << 0 << 1 << 50 << true << 16 << 3
        << QStringList{"0:16000:0:9", "1:32000:9:24", "2:48000:24:38"};
}

void TestMetersimLogic::schedule() {
    QFETCH(int, length);
    QFETCH(int, delayMs);
    QFETCH(int, pieces);
    QFETCH(int, gapMs);
    QFETCH(bool, paced);
    QFETCH(int, usbLatencyMs);
    QFETCH(int, chunks);
    QFETCH(QStringList, probes);

    using std::chrono::milliseconds;
    const std::vector<Chunk> plan = metersim::schedule(
        std::size_t(length), 6,
        {milliseconds(delayMs), std::size_t(pieces), milliseconds(gapMs), paced, milliseconds(usbLatencyMs)});
    QCOMPARE(int(plan.size()), chunks);
    std::size_t covered = 0;
    for (const Chunk &chunk : plan) {
        QCOMPARE(chunk.begin, covered);
        QVERIFY(chunk.end > chunk.begin);
        covered = chunk.end;
    }
    QCOMPARE(covered, std::size_t(length));
    for (const QString &probe : probes) {
        const QStringList fields = probe.split(':');
        const Chunk &chunk = plan.at(std::size_t(fields[0].toInt()));
        QCOMPARE(std::chrono::duration_cast<std::chrono::microseconds>(chunk.at).count(),
                 fields[1].toLongLong());
        QCOMPARE(chunk.begin, fields[2].toULongLong());
        QCOMPARE(chunk.end, fields[3].toULongLong());
    }
}

void TestMetersimLogic::options_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("summary"); // or the start of the error

    QTest::newRow("defaults") << QStringList{}
                              << "records=7 long=0 rotate=1 silent=0 stop=- status=0 bad=0 noise=0 "
                                 "split=1 gap=50 delay=0 pace=0 usb=0 wrong= help=0 version=0 link=";
    QTest::newRow("everything") << QStringList{"--records",
                                               "300",
                                               "--long-count",
                                               "--rotate-every",
                                               "4",
                                               "--silent",
                                               "--stop-after-blocks",
                                               "2",
                                               "--status",
                                               "0x10",
                                               "--bad-checksum",
                                               "--noise",
                                               "5",
                                               "--split",
                                               "3",
                                               "--gap",
                                               "20",
                                               "--delay",
                                               "3000",
                                               "--pace",
                                               "--link",
                                               "/tmp/meter"}
                                << "records=300 long=1 rotate=4 silent=1 stop=2 status=16 bad=1 noise=5 "
                                   "split=3 gap=20 delay=3000 pace=1 usb=0 wrong= help=0 version=0 "
                                   "link=/tmp/meter";
    QTest::newRow("values after =, short help")
        << QStringList{"--records=5", "--usb-latency=16", "-h", "--link=/tmp/a b"}
        << "records=5 long=0 rotate=1 silent=0 stop=- status=0 bad=0 noise=0 split=1 gap=50 delay=0 pace=1 "
           "usb=16 wrong= help=1 version=0 link=/tmp/a b";
    QTest::newRow("wrong answers, version")
        << QStringList{"--answer-with", "2=B1 5A 00 06 05 55 AA A6", "--answer-with=1:67=b15a", "--version"}
        << "records=7 long=0 rotate=1 silent=0 stop=- status=0 bad=0 noise=0 split=1 gap=50 delay=0 pace=0 "
           "usb=0 wrong=2/0/B15A00060555AAA6,1/67/B15A help=0 version=1 link=";
    QTest::newRow("odd hex digits") << QStringList{"--answer-with=2=B15"} << "error: --answer-with takes";
    QTest::newRow("no type") << QStringList{"--answer-with=B1"} << "error: --answer-with takes";
    QTest::newRow("latency 0") << QStringList{"--usb-latency", "0"} << "error: --usb-latency takes";
    QTest::newRow("missing value after =") << QStringList{"--records="} << "error: --records takes";
    QTest::newRow("stray argument") << QStringList{"--pace", "fast"} << "error: unexpected argument fast";
    QTest::newRow("records out of range") << QStringList{"--records", "65536"} << "error: --records takes";
    QTest::newRow("not a number") << QStringList{"--delay", "2s"} << "error: --delay takes";
    QTest::newRow("no pieces") << QStringList{"--split", "0"} << "error: --split takes";
    QTest::newRow("status beyond a byte") << QStringList{"--status", "256"} << "error: --status takes";
    QTest::newRow("missing value") << QStringList{"--records"} << "error: --records needs a value";
    QTest::newRow("unknown") << QStringList{"--fast"} << "error: unknown option --fast";
}

void TestMetersimLogic::options() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, summary);

    std::vector<std::string> argv;
    for (const QString &argument : arguments)
        argv.push_back(argument.toStdString());
    const ParsedOptions parsed = parseOptions(argv);
    if (!parsed.error.empty()) {
        QVERIFY2(("error: " + QString::fromStdString(parsed.error)).startsWith(summary),
                 parsed.error.c_str());
        return;
    }
    const Options &o = parsed.options;
    QStringList wrongAnswers;
    for (const WrongAnswer &wrong : o.wrongAnswers)
        wrongAnswers << QString("%1/%2/%3")
                            .arg(wrong.requestType)
                            .arg(wrong.nth)
                            .arg(QByteArray(reinterpret_cast<const char *>(wrong.bytes.data()),
                                            qsizetype(wrong.bytes.size()))
                                     .toHex()
                                     .toUpper());
    const QString actual =
        QString("records=%1 long=%2 rotate=%3 silent=%4 stop=%5 status=%6 bad=%7 noise=%8 split=%9 gap=%10 "
                "delay=%11 pace=%12 usb=%13 link=%14")
            .arg(o.records)
            .arg(int(o.longCount))
            .arg(o.rotateEvery)
            .arg(int(o.silent))
            .arg(o.stopAfterBlocks ? QString::number(*o.stopAfterBlocks) : "-")
            .arg(o.damage.status)
            .arg(int(o.damage.badChecksum))
            .arg(o.damage.noiseBytes)
            .arg(o.timing.pieces)
            .arg(o.timing.gap.count())
            .arg(o.timing.delay.count())
            .arg(int(o.timing.paced))
            .arg(QString::number(o.timing.usbLatency.count()) + " wrong=" + wrongAnswers.join(',') +
                 QString(" help=%1 version=%2").arg(int(o.help)).arg(int(o.version)))
            .arg(QString::fromStdString(o.linkPath));
    QCOMPARE(actual, summary);
}

QTEST_APPLESS_MAIN(TestMetersimLogic)
#include "tst_metersim_logic.moc"
