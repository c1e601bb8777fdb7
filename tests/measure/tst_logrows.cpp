// The reading log's pure parts: every unit of the meter with its base unit and factor, value
// texts that are numbers and those that are not, and CSV rows byte for byte.
#include "app/Form1.h"
#include "measure/BaseUnits.h"
#include "measure/CsvRows.h"
#include "support/FakePlatform.h"

#include <QTest>
#include <QTimeZone>

namespace {

const QDateTime answerTime(QDate(2026, 12, 10), QTime(14, 3, 7, 250), Qt::OffsetFromUTC, 3600);

} // namespace

class TestLogRows : public QObject {
    Q_OBJECT
private slots:
    void everyUnitOfTheMeter_data();
    void everyUnitOfTheMeter();
    void valueTexts_data();
    void valueTexts();
    void timeWithOffset_data();
    void timeWithOffset();
    void fieldQuoting_data();
    void fieldQuoting();
    void rowsOfAnswers_data();
    void rowsOfAnswers();
    void linkRows();
};

void TestLogRows::everyUnitOfTheMeter_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("number"); // readings in this unit can be numbers
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("powerOfTen");
    const struct {
        int code;
        bool number;
        const char16_t *base;
        int powerOfTen;
    } units[] = {
        {0, true, u"A", -3},     {1, true, u"A", 0},       {2, true, u"V", -3},
        {3, true, u"V", 0},      {4, true, u"\u03A9", -3}, {5, true, u"\u03A9", 0},
        {6, true, u"\u03A9", 3}, {7, true, u"W", 0},       {8, true, u"W", 3},
        {9, true, u"var", 0},    {10, true, u"var", 3},    {11, true, u"VA", 0},
        {12, true, u"VA", 3},    {13, true, u"Wh", 3},     {14, true, u"\u00B0", 0},
        {15, false, u"", 0}, // mins: a time reading
        {16, false, u"", 0}, // hmin
        {17, false, u"", 0}, // h
        {18, false, u"", 0}, // OL.: an overload
        {19, true, u"", 0},  // one space: a number without a unit, as a power factor
        {20, true, u"Hz", 0},    {21, true, u"Hz", 3},
    };
    static_assert(std::size(units) == size_t(UnitNameCount));
    for (const auto &unit : units)
        QTest::addRow("unit %d", unit.code)
            << unit.code << unit.number << QString::fromUtf16(unit.base) << unit.powerOfTen;
}

void TestLogRows::everyUnitOfTheMeter() {
    QFETCH(int, code);
    QFETCH(bool, number);
    QFETCH(QString, base);
    QFETCH(int, powerOfTen);
    FakePlatform platform;
    Form1 form(platform);
    const std::optional<BaseUnit> unit = baseUnitOf(form.engine.state.UnitName.at(size_t(code)));
    QCOMPARE(unit.has_value(), number);
    if (!unit)
        return;
    QCOMPARE(unit->unit, base);
    QCOMPARE(unit->powerOfTen, powerOfTen);
}

void TestLogRows::valueTexts_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("number"); // "-" for none
    QTest::addColumn<QString>("base");

    QTest::newRow("volts as they are") << " 230.1"
                                       << "V"
                                       << "230.1"
                                       << "V";
    QTest::newRow("kilowatts, point moves right") << "  1.20"
                                                  << "KW"
                                                  << "1200"
                                                  << "W";
    QTest::newRow("kilowatts, fraction kept") << "1.2345"
                                              << "KW"
                                              << "1234.5"
                                              << "W";
    QTest::newRow("milliamperes, zeros before") << "  12.5"
                                                << "mA"
                                                << "0.0125"
                                                << "A";
    QTest::newRow("millivolts, integer") << "   400"
                                         << "mV"
                                         << "0.400"
                                         << "V";
    QTest::newRow("kilo-ohms from a point") << "  .5"
                                            << "k\u03A9"
                                            << "500"
                                            << "\u03A9";
    QTest::newRow("negative power") << "-276.1"
                                    << "W"
                                    << "-276.1"
                                    << "W";
    QTest::newRow("plus sign dropped") << "+50.0"
                                       << "Hz"
                                       << "50.0"
                                       << "Hz";
    QTest::newRow("leading zeros dropped") << "007.50"
                                           << "A"
                                           << "7.50"
                                           << "A";
    QTest::newRow("zero kilowatt-hours") << "0.000"
                                         << "KWh"
                                         << "0"
                                         << "Wh";
    QTest::newRow("power factor, no unit") << "0.98"
                                           << " "
                                           << "0.98"
                                           << "";
    QTest::newRow("angle") << "  -12.5"
                           << "\u00B0"
                           << "-12.5"
                           << "\u00B0";
    QTest::newRow("overload") << " 230.1"
                              << "OL."
                              << "-"
                              << "";
    QTest::newRow("time reading") << "12:34"
                                  << "mins"
                                  << "-"
                                  << "";
    QTest::newRow("dot rule left a gap") << "  2 30"
                                         << "A"
                                         << "-"
                                         << "";
    QTest::newRow("dashes") << "------"
                            << "V"
                            << "-"
                            << "";
    QTest::newRow("blank") << "      "
                           << "V"
                           << "-"
                           << "";
    QTest::newRow("sign alone") << "    -."
                                << "V"
                                << "-"
                                << "";
    QTest::newRow("two points") << "1.2.3"
                                << "V"
                                << "-"
                                << "";
    QTest::newRow("exponent") << "1e3"
                              << "V"
                              << "-"
                              << "";
    QTest::newRow("a unit the meter does not have") << "1.0"
                                                    << "?32"
                                                    << "-"
                                                    << "";
}

void TestLogRows::valueTexts() {
    QFETCH(QString, value);
    QFETCH(QString, unit);
    QFETCH(QString, number);
    QFETCH(QString, base);
    const std::optional<BaseValue> converted = baseValue(value, unit);
    QCOMPARE(converted ? converted->number : QStringLiteral("-"), number);
    QCOMPARE(converted ? converted->unit : QString(), base);
}

void TestLogRows::timeWithOffset_data() {
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("text");
    QTest::newRow("east of UTC") << answerTime << "2026-12-10T14:03:07.250+01:00";
    QTest::newRow("UTC") << QDateTime(QDate(2026, 1, 2), QTime(0, 0, 0, 5), Qt::UTC)
                         << "2026-01-02T00:00:00.005+00:00";
    QTest::newRow("west of UTC, half hour")
        << QDateTime(QDate(2026, 7, 1), QTime(23, 59, 59, 999), Qt::OffsetFromUTC, -(3 * 3600 + 1800))
        << "2026-07-01T23:59:59.999-03:30";
}

void TestLogRows::timeWithOffset() {
    QFETCH(QDateTime, time);
    QFETCH(QString, text);
    QCOMPARE(isoTimeWithOffset(time), text);
}

void TestLogRows::fieldQuoting_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "U1"
                           << "U1";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma") << "1,5"
                           << "\"1,5\"";
    QTest::newRow("quote doubled") << "say \"hi\""
                                   << "\"say \"\"hi\"\"\"";
    QTest::newRow("line break") << "a\r\nb"
                                << "\"a\r\nb\"";
    QTest::newRow("leading blank") << " 230.1"
                                   << "\" 230.1\"";
    QTest::newRow("a blank alone") << " "
                                   << "\" \"";
}

void TestLogRows::fieldQuoting() {
    QFETCH(QString, field);
    QFETCH(QString, written);
    QCOMPARE(csvField(field), written);
}

void TestLogRows::rowsOfAnswers_data() {
    QTest::addColumn<std::vector<ShownReading>>("readings");
    QTest::addColumn<QByteArray>("rows");

    QTest::newRow("power readings") << std::vector<ShownReading>{{"P1", " 276.1", "W"},
                                                                 {"Q1", "  1.20", "Kvar"},
                                                                 {"S1", "  12.5", "mA"},
                                                                 {"PF1", "0.98", " "}}
                                    << QByteArray(
                                           "2026-12-10T14:03:07.250+01:00,P1,\" 276.1\",W,276.1,W\r\n"
                                           "2026-12-10T14:03:07.250+01:00,Q1,\"  1.20\",Kvar,1200,var\r\n"
                                           "2026-12-10T14:03:07.250+01:00,S1,\"  12.5\",mA,0.0125,A\r\n"
                                           "2026-12-10T14:03:07.250+01:00,PF1,0.98,\" \",0.98,\r\n");
    QTest::newRow("overload, time, ohms in UTF-8")
        << std::vector<ShownReading>{{"U1", " 999.9", "OL."},
                                     {"TIME", "12:34", "mins"},
                                     {"R1", "  1.5", "k\u03A9"}}
        << QByteArray("2026-12-10T14:03:07.250+01:00,U1,\" 999.9\",OL.,,\r\n"
                      "2026-12-10T14:03:07.250+01:00,TIME,12:34,mins,,\r\n"
                      "2026-12-10T14:03:07.250+01:00,R1,\"  1.5\",k\xCE\xA9,1500,\xCE\xA9\r\n");
    QTest::newRow("all blocks empty") << std::vector<ShownReading>{} << QByteArray();
}

void TestLogRows::rowsOfAnswers() {
    QFETCH(std::vector<ShownReading>, readings);
    QFETCH(QByteArray, rows);
    QCOMPARE(csvReadingRows(answerTime, readings), rows);
}

void TestLogRows::linkRows() {
    QCOMPARE(csvHeader(), QByteArray("time,item,value,unit,base_value,base_unit\r\n"));
    QCOMPARE(csvLinkRow(answerTime, false), QByteArray("2026-12-10T14:03:07.250+01:00,,Unconnected,,,\r\n"));
    QCOMPARE(csvLinkRow(answerTime, true), QByteArray("2026-12-10T14:03:07.250+01:00,,Connected,,,\r\n"));
}

QTEST_MAIN(TestLogRows)
#include "tst_logrows.moc"
