// One request and the wait for its answer, as a value: bytes in, in the pieces a port hands
// them over, and what the wait makes of each piece.
#include "link/Exchange.h"
#include "support/ScriptedMeter.h"

#include <QTest>

namespace {

// A script step: "begin TYPE [RECORDS]", "expire", or bytes in hex taken at one receive event,
// with a '|' before the bytes that came while the counted ones were taken.
QString bytesStep(const QByteArray &counted, const QByteArray &late = {}) {
    QString step = QString::fromLatin1(counted.toHex());
    if (!late.isEmpty())
        step += QLatin1Char('|') + QString::fromLatin1(late.toHex());
    return step;
}

QByteArray hex(const char *text) {
    return QByteArray::fromHex(text);
}

QByteArray frame(uint8_t type, const QByteArray &payload, uint8_t status = 0) {
    return ScriptedMeter::frame(type, payload, status);
}

QByteArray withBadChecksum(QByteArray bytes) {
    bytes.back() = char(bytes.back() ^ 0x5A);
    return bytes;
}

QString describe(const ExchangeStep &step) {
    switch (step.verdict) {
    case ExchangeVerdict::NeedsMore:
        return QStringLiteral("needs %1").arg(step.missing);
    case ExchangeVerdict::Answer:
        return QStringLiteral("answer at %1, %2 bytes").arg(step.answerStart).arg(step.answerLength) +
               (step.recordsAsked > 0 ? QStringLiteral(", %1 asked").arg(step.recordsAsked) : QString());
    case ExchangeVerdict::NoAnswer:
        break;
    }
    switch (step.lastFrame) {
    case FrameVerdict::Verified:
        return QStringLiteral("no answer, a frame");
    case FrameVerdict::BadStatus:
        return QStringLiteral("no answer, bad status");
    case FrameVerdict::BadChecksum:
        return QStringLiteral("no answer, bad checksum");
    default:
        return QStringLiteral("no answer");
    }
}

} // namespace

class ExchangeSteps : public QObject {
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
};

void ExchangeSteps::steps_data() {
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("verdicts"); // one for each bytes step
    QTest::addColumn<int>("examined");         // bytes looked at after the last step

    const QByteArray realtime = frame(6, QByteArray("\x01\x00  2.50", 8) + QByteArray(24, ' '));
    const QByteArray notice = frame(NoticeType, hex("0102"));
    const QByteArray linkCheck = hex("B1 5A 00 06 05 55 AA A6");
    const QByteArray statusOne = frame(6, QByteArray(32, ' '), 1);
    const QByteArray oneByteCount = frame(2, hex("07"));
    const QByteArray twoByteCount = frame(2, hex("0700"));
    const QByteArray threeByteCount = frame(2, hex("070000")); // B1 5A 00 07 02 07 00 00 cs
    const QByteArray threeRecords =
        frame(1, ScriptedMeter::record(0) + ScriptedMeter::record(1) + ScriptedMeter::record(2));
    const QByteArray oneRecord = frame(1, ScriptedMeter::record(6));
    // Longer than any answer, yet a frame: its rest is waited for, then it is passed over.
    const QByteArray longNotice = frame(NoticeType, QByteArray(104, '\x33'));
    // Announces 122 bytes, more than a frame can be.
    const QByteArray overlong = frame(NoticeType, QByteArray(116, '\x33'));
    const QByteArray noise(217, '\x20');

    auto row = [](const char *name, QStringList script, QStringList verdicts, int examined) {
        QTest::newRow(name) << script << verdicts << examined;
    };

    // The realtime request awaits 38 bytes.
    row("whole answer", {"begin 6", bytesStep(realtime)}, {"answer at 0, 38 bytes"}, 38);
    row("noise ahead", {"begin 6", bytesStep(hex("0013A1FF") + realtime)}, {"answer at 4, 38 bytes"}, 42);
    row("bytes after it", {"begin 6", bytesStep(realtime + hex("B1B1B1"))}, {"answer at 0, 38 bytes"}, 41);
    row("in two pieces", {"begin 6", bytesStep(realtime.left(19)), bytesStep(realtime.mid(19))},
        {"needs 19", "answer at 0, 38 bytes"}, 38);
    row("length byte arriving late",
        {"begin 6", bytesStep(realtime.left(3)), bytesStep(realtime.mid(3, 2)), bytesStep(realtime.mid(5))},
        {"needs 3", "needs 33", "answer at 0, 38 bytes"}, 38);
    row("start byte alone after noise", {"begin 6", bytesStep(QByteArray(40, '\0') + hex("B1"))}, {"needs 5"},
        41);
    row("late bytes complete it", {"begin 6", bytesStep(realtime.left(33), realtime.mid(33))},
        {"answer at 0, 38 bytes"}, 38);
    row("late bytes leave it short",
        {"begin 6", bytesStep(realtime.left(20), realtime.mid(20, 10)), bytesStep(realtime.mid(30))},
        {"needs 8", "answer at 0, 38 bytes"}, 38);
    row("late bytes after a whole count of noise", {"begin 6", bytesStep(QByteArray(38, '\0'), realtime)},
        {"no answer"}, 38);
    row("255 bytes holding the answer", {"begin 6", bytesStep(noise + realtime)}, {"answer at 217, 38 bytes"},
        255);
    row("256 bytes", {"begin 6", bytesStep(noise + hex("00") + realtime)}, {"no answer"}, 256);
    row("notice ahead", {"begin 6", bytesStep(notice + realtime)}, {"answer at 8, 38 bytes"}, 46);
    row("unasked frame ahead", {"begin 6", bytesStep(linkCheck + realtime)}, {"answer at 8, 38 bytes"}, 46);
    row("bad checksum ahead", {"begin 6", bytesStep(withBadChecksum(notice) + realtime)},
        {"answer at 8, 38 bytes"}, 46);
    row("bad status ahead", {"begin 6", bytesStep(statusOne + realtime)}, {"answer at 38, 38 bytes"}, 76);
    row("notice ahead, the answer in pieces",
        {"begin 6", bytesStep(notice + realtime.left(30)), bytesStep(realtime.mid(30))},
        {"needs 8", "answer at 8, 38 bytes"}, 46);
    row("long notice in pieces ahead",
        {"begin 6", bytesStep(longNotice.left(40)), bytesStep(longNotice.mid(40) + realtime)},
        {"needs 70", "answer at 110, 38 bytes"}, 148);
    row("announced past any frame", {"begin 6", bytesStep(overlong.left(40))}, {"no answer"}, 40);
    row("announced past any frame, fewer bytes than the answer", {"begin 6", bytesStep(overlong.left(20))},
        {"needs 18"}, 20);
    row("stray start byte ahead", {"begin 6", bytesStep(hex("B1") + realtime)}, {"answer at 1, 38 bytes"},
        39);
    row("stray start byte announcing past the answer", {"begin 6", bytesStep(hex("B1000050") + realtime)},
        {"answer at 4, 38 bytes"}, 42);
    row("stray start byte announcing past the answer, the answer in pieces",
        {"begin 6", bytesStep(hex("B1000050") + realtime.left(30)), bytesStep(realtime.mid(30))},
        {"needs 8", "answer at 4, 38 bytes"}, 42);
    row("notice alone", {"begin 6", bytesStep(frame(NoticeType, QByteArray(32, ' ')))},
        {"no answer, a frame"}, 38);
    row("bad checksum alone", {"begin 6", bytesStep(withBadChecksum(realtime))}, {"no answer, bad checksum"},
        38);
    row("bad status alone", {"begin 6", bytesStep(statusOne)}, {"no answer, bad status"}, 38);
    row("frames passed over, fewer bytes than the answer",
        {"begin 6", bytesStep(withBadChecksum(notice) + notice + notice)}, {"needs 14"}, 24);
    row("realtime too short", {"begin 6", bytesStep(frame(6, QByteArray(20, ' ')) + QByteArray(12, '\0'))},
        {"no answer, a frame"}, 38);
    row("realtime too long", {"begin 6", bytesStep(frame(6, QByteArray(33, ' ')))}, {"no answer, a frame"},
        39);
    row("no start byte", {"begin 6", bytesStep(QByteArray(40, '\0'))}, {"no answer"}, 40);
    row("piece without start byte", {"begin 6", bytesStep(realtime.mid(1, 20))}, {"needs 18"}, 20);

    // The count request awaits 7 bytes; the count comes in one byte or two.
    row("one-byte count", {"begin 2", bytesStep(oneByteCount)}, {"answer at 0, 7 bytes"}, 7);
    row("two-byte count", {"begin 2", bytesStep(twoByteCount.left(7)), bytesStep(twoByteCount.mid(7))},
        {"needs 1", "answer at 0, 8 bytes"}, 8);
    row("three-byte count", {"begin 2", bytesStep(threeByteCount)}, {"no answer, a frame"}, 9);
    row("count without a byte", {"begin 2", bytesStep(frame(2, {}) + hex("00"))}, {"no answer, a frame"}, 7);
    row("notice ahead of the count", {"begin 2", bytesStep(notice + oneByteCount)}, {"answer at 8, 7 bytes"},
        15);
    row("link check to the count request", {"begin 2", bytesStep(linkCheck)}, {"no answer, a frame"}, 8);

    // Record requests await 6 bytes and 32 a record.
    row("three records", {"begin 1 3", bytesStep(threeRecords)}, {"answer at 0, 102 bytes, 3 asked"}, 102);
    row("one record", {"begin 1 1", bytesStep(oneRecord)}, {"answer at 0, 38 bytes, 1 asked"}, 38);
    row("three records to a request for one", {"begin 1 1", bytesStep(threeRecords)},
        {"answer at 0, 102 bytes, 1 asked"}, 102);
    row("one record to a request for none", {"begin 1 0", bytesStep(oneRecord)}, {"no answer, a frame"}, 38);
    // 134 bytes: longer than any frame.
    row("four records", {"begin 1 3", bytesStep(frame(1, QByteArray(128, ' ')))}, {"no answer"}, 134);
    row("notice ahead of a block", {"begin 1 3", bytesStep(notice + threeRecords)},
        {"answer at 8, 102 bytes, 3 asked"}, 110);

    row("link check", {"begin 5", bytesStep(linkCheck)}, {"answer at 0, 8 bytes"}, 8);
    row("notice carrying a start byte", {"begin 5", bytesStep(frame(NoticeType, hex("B1000050")))},
        {"no answer, a frame"}, 10);
    row("realtime to a link check", {"begin 5", bytesStep(realtime)}, {"no answer, a frame"}, 38);
    row("type 3", {"begin 3", bytesStep(frame(3, hex("2A")))}, {"answer at 0, 7 bytes"}, 7);
    row("type 4", {"begin 4", bytesStep(frame(4, hex("00")))}, {"answer at 0, 7 bytes"}, 7);

    // The wait over time.
    row("expired, then the answer", {"begin 6", "expire", bytesStep(realtime)}, {"no answer, a frame"}, 38);
    row("expired with the answer in pieces",
        {"begin 6", bytesStep(realtime.left(20)), "expire", bytesStep(realtime.mid(20))},
        {"needs 18", "no answer, a frame"}, 38);
    row("the answer twice", {"begin 6", bytesStep(realtime), bytesStep(realtime)},
        {"answer at 0, 38 bytes", "no answer, a frame"}, 38);
    row("no answer, then the answer", {"begin 6", bytesStep(QByteArray(38, '\0')), bytesStep(realtime)},
        {"no answer", "answer at 0, 38 bytes"}, 38);
    row("a new request drops the bytes before",
        {"begin 6", bytesStep(realtime.left(20)), "begin 6", bytesStep(realtime.mid(20))},
        {"needs 18", "needs 20"}, 18);
    row("a type without request awaits nothing, measured by the last request",
        {"begin 5", "begin 0", bytesStep(hex("0000")), bytesStep(linkCheck)},
        {"needs 6", "no answer, a frame"}, 10);
    row("before any request", {bytesStep(hex("00"))}, {"no answer"}, 1);
}

void ExchangeSteps::steps() {
    QFETCH(QStringList, script);
    QFETCH(QStringList, verdicts);
    QFETCH(int, examined);

    Exchange exchange;
    QStringList seen;
    for (const QString &step : script) {
        if (step.startsWith(QLatin1String("begin "))) {
            const QStringList words = step.split(QLatin1Char(' '));
            const int records = words.size() > 2 ? words[2].toInt() : 0;
            exchange.begin(
                buildRequest(Command::Standard, uint8_t(words[1].toInt()), 0, int16_t(records), 0));
        } else if (step == QLatin1String("expire")) {
            exchange.expire();
        } else {
            const QStringList parts = step.split(QLatin1Char('|'));
            const QByteArray counted = QByteArray::fromHex(parts[0].toLatin1());
            const QByteArray late =
                parts.size() > 1 ? QByteArray::fromHex(parts[1].toLatin1()) : QByteArray();
            const ExchangeStep taken = exchange.take(counted + late, counted.size());
            QCOMPARE(describe(exchange.lastStep()), describe(taken));
            seen << describe(taken);
        }
    }
    QCOMPARE(seen, verdicts);
    QCOMPARE(exchange.examined(), examined);
}

QTEST_GUILESS_MAIN(ExchangeSteps)
#include "tst_link_exchangesteps.moc"
