// The reading log's pure parts: value texts that are numbers and those that are not, and CSV
// rows byte for byte, for readings, the link and alarms.
#include "measure/BaseUnits.h"
#include "measure/IsoTime.h"
#include "output/LogFormat.h"

#include <QTest>
#include <QTimeZone>

namespace {

const QDateTime answerTime(QDate(2026, 12, 10), QTime(14, 3, 7, 250), Qt::OffsetFromUTC, 3600);

} // namespace

class TestLogRows : public QObject {
    Q_OBJECT
private slots:
    void valueTexts_data();
    void valueTexts();
    void timeWithOffset_data();
    void timeWithOffset();
    void fieldQuoting_data();
    void fieldQuoting();
    void rowsOfAnswers_data();
    void rowsOfAnswers();
    void linkRows();
    void alarmRows_data();
    void alarmRows();
};

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

void TestLogRows::alarmRows_data() {
    QTest::addColumn<bool>("raised");
    QTest::addColumn<bool>("high");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QByteArray>("row");
    const QByteArray time("2026-12-10T14:03:07.250+01:00,");
    QTest::newRow("high") << true << true << "I1"
                          << "16.2"
                          << "A" << time + "I1,16.2 A,alarm high,,\r\n";
    QTest::newRow("low") << true << false << "U1"
                         << "206.5"
                         << "V" << time + "U1,206.5 V,alarm low,,\r\n";
    QTest::newRow("cleared") << false << true << "P1"
                             << "1200"
                             << "W" << time + "P1,1200 W,alarm cleared,,\r\n";
    QTest::newRow("an overload") << true << true << "R1"
                                 << "OL."
                                 << "\u03A9" << time + "R1,OL.,alarm high,,\r\n";
    QTest::newRow("no unit") << true << false << "PF1"
                             << "0.85"
                             << "" << time + "PF1,0.85,alarm low,,\r\n";
}

void TestLogRows::alarmRows() {
    QFETCH(bool, raised);
    QFETCH(bool, high);
    QFETCH(QString, item);
    QFETCH(QString, value);
    QFETCH(QString, unit);
    QFETCH(QByteArray, row);
    AlarmEvent event;
    event.raised = raised;
    event.alarm.item = item;
    event.alarm.high = high;
    event.alarm.value = value;
    event.alarm.unit = unit;
    event.time = answerTime;
    QCOMPARE(csvAlarmRow(event), row);
}

QTEST_MAIN(TestLogRows)
#include "tst_logrows.moc"
