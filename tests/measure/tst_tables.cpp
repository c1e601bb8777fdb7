// The item and unit tables: every code of the meter with the text the window shows for it, and
// for units what a reading in it is (a number in which base unit, an overload, a time).
#include "measure/BaseUnits.h"
#include "measure/ItemNames.h"
#include "measure/UnitFacts.h"

#include <QTest>

class TestTables : public QObject {
    Q_OBJECT
private slots:
    void everyCode_data();
    void everyCode();
};

void TestTables::everyCode_data() {
    QTest::addColumn<bool>("unit"); // else an item
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kind"); // units: number, overload or time
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("powerOfTen");
    // Ten codes a line, from code 0.
    const char *const items[] = {
        "I",    "I2",   "I3",  "In",   "U1",   "U2",   "U3",   "Un",   "R1",   "R2",   //
        "R3",   "P1",   "P2",  "P3",   "P",    "Q1",   "Q2",   "Q3",   "Q",    "S1",   //
        "S2",   "S3",   "S",   "PF1",  "PF2",  "PF3",  "PF",   "U1U2", "U2U3", "U3U1", //
        "U1I",  "U2I",  "U3I", "U1I2", "U2I2", "U3I2", "U1I3", "U2I3", "U3I3", "I1I2", //
        "I2I3", "I3I1", "W1",  "W2",   "W3",   "W",    "TIME", "DCI",  "DCU",  "I1",   //
        "I2",   "I3",   "F_I", "F_I2", "F_I3", "F_U1", "F_U2", "F_U3",
    };
    static_assert(std::size(items) == size_t(ItemNameCount));
    for (int code = 0; code < ItemNameCount; ++code)
        QTest::addRow("item %d", code)
            << false << code << QString::fromLatin1(items[code]) << QString() << QString() << 0;
    const struct {
        const char16_t *text;
        const char *kind;
        const char16_t *base;
        int powerOfTen;
    } units[] = {
        {u"mA", "number", u"A", -3},
        {u"A", "number", u"A", 0},
        {u"mV", "number", u"V", -3},
        {u"V", "number", u"V", 0},
        {u"m\u03A9", "number", u"\u03A9", -3},
        {u"\u03A9", "number", u"\u03A9", 0},
        {u"k\u03A9", "number", u"\u03A9", 3},
        {u"W", "number", u"W", 0},
        {u"KW", "number", u"W", 3},
        {u"var", "number", u"var", 0},
        {u"Kvar", "number", u"var", 3},
        {u"VA", "number", u"VA", 0},
        {u"KVA", "number", u"VA", 3},
        {u"KWh", "number", u"Wh", 3},
        {u"\u00B0", "number", u"\u00B0", 0},
        {u"mins", "time", u"", 0},
        {u"hmin", "time", u"", 0},
        {u"h", "time", u"", 0},
        {u"OL.", "overload", u"", 0},
        {u" ", "number", u"", 0}, // a number without a unit, as a power factor
        {u"Hz", "number", u"Hz", 0},
        {u"KHz", "number", u"Hz", 3},
    };
    static_assert(std::size(units) == size_t(UnitNameCount));
    for (int code = 0; code < UnitNameCount; ++code)
        QTest::addRow("unit %d", code)
            << true << code << QString::fromUtf16(units[code].text) << QString::fromLatin1(units[code].kind)
            << QString::fromUtf16(units[code].base) << units[code].powerOfTen;
}

void TestTables::everyCode() {
    QFETCH(bool, unit);
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, kind);
    QFETCH(QString, base);
    QFETCH(int, powerOfTen);
    if (!unit) {
        QCOMPARE(itemNameTable().at(size_t(code)), text);
        QVERIFY(isItemName(text));
        // The realtime item label pads name and colon to six characters.
        QVERIFY(!text.isEmpty() && text.size() <= 4);
        return;
    }
    QCOMPARE(unitNameTable().at(size_t(code)), text);
    const UnitFact *fact = unitFactOf(text);
    QCOMPARE(fact, &UnitFacts.at(size_t(code)));
    const char *const kinds[] = {"number", "overload", "time"};
    QCOMPARE(QString::fromLatin1(kinds[int(fact->kind)]), kind);
    QCOMPARE(isOverloadUnit(text), kind == QLatin1String("overload"));
    // What the log, the trend and the alarms convert readings in this unit with.
    const std::optional<BaseUnit> baseUnit = baseUnitOf(text);
    QCOMPARE(baseUnit.has_value(), kind == QLatin1String("number"));
    if (!baseUnit)
        return;
    QCOMPARE(baseUnit->unit, base);
    QCOMPARE(baseUnit->powerOfTen, powerOfTen);
}

QTEST_APPLESS_MAIN(TestTables)
#include "tst_tables.moc"
