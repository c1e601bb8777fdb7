// The item and unit tables as start-up leaves them.
#include "app/Form1.h"
#include "support/FakePlatform.h"

#include <QTest>

class TestTables : public QObject {
    Q_OBJECT
private slots:
    void itemNames_data();
    void itemNames();
    void unitNames_data();
    void unitNames();
    void itemNamesFitTheLabel();
};

void TestTables::itemNames_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    // Ten codes a line, from code 0.
    const char *const names[] = {
        "I",    "I2",   "I3",  "In",   "U1",   "U2",   "U3",   "Un",   "R1",   "R2",   //
        "R3",   "P1",   "P2",  "P3",   "P",    "Q1",   "Q2",   "Q3",   "Q",    "S1",   //
        "S2",   "S3",   "S",   "PF1",  "PF2",  "PF3",  "PF",   "U1U2", "U2U3", "U3U1", //
        "U1I",  "U2I",  "U3I", "U1I2", "U2I2", "U3I2", "U1I3", "U2I3", "U3I3", "I1I2", //
        "I2I3", "I3I1", "W1",  "W2",   "W3",   "W",    "TIME", "DCI",  "DCU",  "I1",   //
        "I2",   "I3",   "F_I", "F_I2", "F_I3", "F_U1", "F_U2", "F_U3",
    };
    static_assert(std::size(names) == size_t(ItemNameCount));
    for (int code = 0; code < ItemNameCount; ++code)
        QTest::addRow("item %d", code) << code << QString::fromLatin1(names[code]);
}

void TestTables::itemNames() {
    QFETCH(int, code);
    QFETCH(QString, name);
    FakePlatform platform;
    Form1 form(platform);
    QCOMPARE(form.engine.state.ItemName.at(size_t(code)), name);
}

void TestTables::unitNames_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("unit");
    const char16_t *const units[] = {
        u"mA", u"A",   u"mV",  u"V",      u"m\u03A9", u"\u03A9", u"k\u03A9", u"W",   u"KW", u"var", u"Kvar",
        u"VA", u"KVA", u"KWh", u"\u00B0", u"mins",    u"hmin",   u"h",       u"OL.", u" ",  u"Hz",  u"KHz",
    };
    for (int code = 0; code < UnitNameCount; ++code)
        QTest::addRow("unit %d", code) << code << QString::fromUtf16(units[code]);
}

void TestTables::unitNames() {
    QFETCH(int, code);
    QFETCH(QString, unit);
    FakePlatform platform;
    Form1 form(platform);
    QCOMPARE(form.engine.state.UnitName.at(size_t(code)), unit);
}

// The realtime item label pads name and colon to six characters, so no name may be longer than four.
void TestTables::itemNamesFitTheLabel() {
    FakePlatform platform;
    Form1 form(platform);
    for (const QString &name : form.engine.state.ItemName) {
        QVERIFY2(!name.isEmpty() && name.size() <= 4, qPrintable(name));
    }
}

QTEST_MAIN(TestTables)
#include "tst_tables.moc"
