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
    const std::pair<int, const char *> names[] = {
        {0, "I"},     {49, "I1"},   {1, "I2"},   {50, "I2"},   {2, "I3"},    {51, "I3"},  {3, "In"},
        {7, "Un"},    {8, "R1"},    {14, "P"},   {18, "Q"},    {22, "S"},    {23, "PF1"}, {26, "PF"},
        {27, "U1U2"}, {29, "U3U1"}, {32, "U3I"}, {38, "U3I3"}, {41, "I3I1"}, {45, "W"},   {46, "TIME"},
        {47, "DCI"},  {48, "DCU"},  {52, "F_I"}, {53, "F_I2"}, {57, "F_U3"},
    };
    for (const auto &[code, name] : names)
        QTest::addRow("item %d", code) << code << QString::fromLatin1(name);
}

void TestTables::itemNames() {
    QFETCH(int, code);
    QFETCH(QString, name);
    FakePlatform platform;
    Form1 form(platform);
    QCOMPARE(form.state.ItemName.at(size_t(code)), name);
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
    QCOMPARE(form.state.UnitName.at(size_t(code)), unit);
}

// The realtime item label pads name and colon to six characters, so no name may be longer than four.
void TestTables::itemNamesFitTheLabel() {
    FakePlatform platform;
    Form1 form(platform);
    for (const QString &name : form.state.ItemName) {
        QVERIFY2(!name.isEmpty() && name.size() <= 4, qPrintable(name));
    }
}

QTEST_MAIN(TestTables)
#include "tst_tables.moc"
