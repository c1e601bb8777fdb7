// The byte rules of one reading block, without a window.
#include "measure/ReadingBlock.h"

#include <QTest>

namespace {

// An 8-byte block written as hex; spaces between bytes are ignored.
std::array<uint8_t, ReadingBlockSize> block(const QByteArray &hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    if (bytes.size() != ReadingBlockSize)
        qFatal("a test block must have 8 bytes: %s", hex.constData());
    std::array<uint8_t, ReadingBlockSize> result{};
    std::copy(bytes.begin(), bytes.end(), result.begin());
    return result;
}

} // namespace

class TestReadingBlock : public QObject {
    Q_OBJECT
private slots:
    void emptyBlock_data();
    void emptyBlock();
    void dotRule_data();
    void dotRule();
    void valueText_data();
    void valueText();
    void codesOutsideTables_data();
    void codesOutsideTables();
    void decodeAppliesDotRuleInPlace();
};

void TestReadingBlock::emptyBlock_data() {
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<bool>("empty");
    QTest::newRow("both codes 0x20") << QByteArray("20 20 31 32 33 34 35 36") << true;
    QTest::newRow("value bytes are not looked at") << QByteArray("20 20 FF 00 FF 00 FF 00") << true;
    QTest::newRow("only the item code 0x20") << QByteArray("20 03 20 20 20 20 20 20") << false;
    QTest::newRow("only the unit code 0x20") << QByteArray("04 20 20 20 20 20 20 20") << false;
    QTest::newRow("codes 0 and 0") << QByteArray("00 00 20 20 20 20 20 20") << false;
}

void TestReadingBlock::emptyBlock() {
    QFETCH(QByteArray, hex);
    QFETCH(bool, empty);
    QCOMPARE(isEmptyBlock(block(hex).data()), empty);
}

void TestReadingBlock::dotRule_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("U1, point in the fourth place")
        << QByteArray("04 03 31 32 33 2E 34 35") << QByteArray("04 03 31 32 33 20 34 35");
    QTest::newRow("item 0, first of the range")
        << QByteArray("00 00 31 32 33 2E 34 35") << QByteArray("00 00 31 32 33 20 34 35");
    QTest::newRow("item 22, last of the range")
        << QByteArray("16 0B 31 32 33 2E 34 35") << QByteArray("16 0B 31 32 33 20 34 35");
    QTest::newRow("PF1 keeps its point")
        << QByteArray("17 03 31 32 33 2E 34 35") << QByteArray("17 03 31 32 33 2E 34 35");
    QTest::newRow("item 32 (code byte 0x20) keeps its point")
        << QByteArray("20 03 31 32 33 2E 34 35") << QByteArray("20 03 31 32 33 2E 34 35");
    QTest::newRow("a time count keeps its 0x2E byte")
        << QByteArray("2E 10 00 00 10 2E 39 39") << QByteArray("2E 10 00 00 10 2E 39 39");
    QTest::newRow("points in the other places stay")
        << QByteArray("04 03 2E 2E 2E 31 2E 2E") << QByteArray("04 03 2E 2E 2E 31 2E 2E");
}

void TestReadingBlock::dotRule() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    auto bytes = block(before);
    applyDotRule(bytes.data());
    QCOMPARE(bytes, block(after));
}

void TestReadingBlock::valueText_data() {
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("text");
    QTest::newRow("spaces kept") << QByteArray("04 03 20 32 33 30 2E 31") << QStringLiteral(" 230.1");
    QTest::newRow("trailing space kept") << QByteArray("1A 00 20 30 2E 39 38 20") << QStringLiteral(" 0.98 ");
    QTest::newRow("sign and marks as sent")
        << QByteArray("0B 08 2D 31 2E 35 45 21") << QStringLiteral("-1.5E!");
    QTest::newRow("bytes outside ASCII are Latin-1")
        << QByteArray("04 03 B5 FF 00 7F 41 E9")
        << QStringView(u"\u00B5\u00FF\u0000\u007FA\u00E9", 6).toString();
    // Time readings: offsets 6 and 7 hold junk that must not show.
    QTest::newRow("time 0") << QByteArray("2E 0F 00 00 00 00 39 39") << QStringLiteral("00:00");
    QTest::newRow("time 59") << QByteArray("2E 0F 00 00 00 3B 39 39") << QStringLiteral("00:59");
    QTest::newRow("time 754") << QByteArray("2E 0F 00 00 02 F2 39 39") << QStringLiteral("12:34");
    QTest::newRow("time 3599") << QByteArray("2E 0F 00 00 0E 0F 39 39") << QStringLiteral("59:59");
    QTest::newRow("time 3600") << QByteArray("2E 10 00 00 0E 10 39 39") << QStringLiteral("01:00");
    QTest::newRow("time 5400") << QByteArray("2E 10 00 00 15 18 39 39") << QStringLiteral("01:30");
    QTest::newRow("time 40000") << QByteArray("2E 10 00 00 9C 40 39 39") << QStringLiteral("11:06");
    QTest::newRow("time 86399") << QByteArray("2E 10 00 01 51 7F 39 39") << QStringLiteral("23:59");
    QTest::newRow("time 360000") << QByteArray("2E 10 00 05 7E 40 39 39") << QStringLiteral("100:00");
    QTest::newRow("time 2^31") << QByteArray("2E 10 80 00 00 00 39 39") << QStringLiteral("596523:14");
    QTest::newRow("time 2^32-1") << QByteArray("2E 10 FF FF FF FF 39 39") << QStringLiteral("1193046:28");
}

void TestReadingBlock::valueText() {
    QFETCH(QByteArray, hex);
    QFETCH(QString, text);
    QCOMPARE(::valueText(block(hex).data()), text);
}

void TestReadingBlock::codesOutsideTables_data() {
    QTest::addColumn<bool>("isItem");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("last item") << true << 57 << QStringLiteral("item57");
    QTest::newRow("item 58") << true << 58 << QStringLiteral("?58");
    QTest::newRow("item 255") << true << 255 << QStringLiteral("?255");
    QTest::newRow("last unit") << false << 21 << QStringLiteral("unit21");
    QTest::newRow("unit 22") << false << 22 << QStringLiteral("?22");
    QTest::newRow("unit 32 (code byte 0x20)") << false << 32 << QStringLiteral("?32");
    QTest::newRow("unit 255") << false << 255 << QStringLiteral("?255");
}

void TestReadingBlock::codesOutsideTables() {
    QFETCH(bool, isItem);
    QFETCH(int, code);
    QFETCH(QString, text);
    ItemNameTable names;
    UnitNameTable units;
    for (size_t index = 0; index < names.size(); ++index)
        names[index] = QStringLiteral("item%1").arg(index);
    for (size_t index = 0; index < units.size(); ++index)
        units[index] = QStringLiteral("unit%1").arg(index);
    QCOMPARE(isItem ? itemText(names, uint8_t(code)) : unitText(units, uint8_t(code)), text);
}

void TestReadingBlock::decodeAppliesDotRuleInPlace() {
    ItemNameTable names;
    UnitNameTable units;
    names[4] = QStringLiteral("U1");
    units[3] = QStringLiteral("V");
    auto bytes = block("04 03 31 32 33 2E 34 35");
    const Reading reading = decodeReading(bytes.data(), names, units);
    QCOMPARE(reading.item, QStringLiteral("U1"));
    QCOMPARE(reading.value, QStringLiteral("123 45"));
    QCOMPARE(reading.unit, QStringLiteral("V"));
    QCOMPARE(bytes[5], uint8_t(0x20));
}

QTEST_APPLESS_MAIN(TestReadingBlock)
#include "tst_readingblock.moc"
