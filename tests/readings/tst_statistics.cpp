// The statistics under a trend chart: what a span's readings come to (lowest, highest, latest,
// the mean weighted by time and the energy, both left off across gaps and overloads), and how
// numbers and energies are written.
#include "readings/SpanStatistics.h"
#include "readings/StatisticsText.h"

#include <QTest>

namespace {

const QDateTime Start(QDate(2026, 12, 10), QTime(8, 0), Qt::UTC);

QString atSeconds(const TimedReading &reading) {
    const QString value = reading.overload ? QStringLiteral("OL") : QString::number(reading.value);
    return value + u'@' + QString::number(double(reading.wallMs - Start.toMSecsSinceEpoch()) / 1000);
}

// "lowest@s highest@s mean over-ms latest@s energy-Wh"
QString summary(const ItemStatistics &statistics) {
    return QStringLiteral("%1 %2 %3/%4 %5 %6")
        .arg(atSeconds(statistics.lowest), atSeconds(statistics.highest), QString::number(statistics.mean))
        .arg(statistics.meanOverMs)
        .arg(atSeconds(statistics.latest),
             statistics.energy ? QString::number(*statistics.energy, 'g', 4) : QStringLiteral("-"));
}

} // namespace

class TestStatistics : public QObject {
    Q_OBJECT
private slots:
    void spans_data();
    void spans();
    void onlyPowersHaveEnergy();
    void numbers_data();
    void numbers();
    void texts_data();
    void texts();
};

void TestStatistics::spans_data() {
    QTest::addColumn<QStringList>(
        "events"); // "seconds watts", "seconds OL", "seconds lost", "seconds Q" (another item)
    QTest::addColumn<QString>("summary");
    QTest::newRow("joined readings: the mean and the energy of the line between them")
        << QStringList{"0 100", "1.5 200", "3 300"} << "100@0 300@3 200/3000 300@3 0.1667";
    QTest::newRow("longer between readings weighs more")
        << QStringList{"0 100", "1 100", "4 400"} << "100@0 400@4 212.5/4000 400@4 0.2361";
    QTest::newRow("a lost link is left out") << QStringList{"0 100", "1.5 100", "3 lost", "6 300", "7.5 300"}
                                             << "100@0 300@6 200/3000 300@7.5 0.1667";
    QTest::newRow("a pause in the answers is left out")
        << QStringList{"0 100", "1.5 100", "7 300", "8.5 300"} << "100@0 300@7 200/3000 300@8.5 0.1667";
    QTest::newRow("an overload is the highest and breaks the line")
        << QStringList{"0 100", "1.5 OL", "3 300", "4.5 300"} << "100@0 OL@1.5 300/1500 300@4.5 0.125";
    QTest::newRow("the latest may be an overload")
        << QStringList{"0 100", "1.5 OL"} << "100@0 OL@1.5 100/0 OL@1.5 0";
    QTest::newRow("one reading is its own mean") << QStringList{"0 100"} << "100@0 100@0 100/0 100@0 0";
    QTest::newRow("the lowest and highest keep their first time")
        << QStringList{"0 5", "1.5 9", "3 5", "4.5 9"} << "5@0 9@1.5 7/4500 9@4.5 0.00875";
    QTest::newRow("before the span is left out")
        << QStringList{"-3 500", "0 100", "1.5 100"} << "100@0 100@0 100/1500 100@1.5 0.04167";
    QStringList awayOverAMinute{"0 100"};
    for (int tenths = 15; tenths <= 615; tenths += 15)
        awayOverAMinute << QStringLiteral("%1 Q").arg(tenths / 10.0);
    QTest::newRow("an item away over a minute is not joined")
        << awayOverAMinute + QStringList{"62 300"} << "100@0 300@62 200/0 300@62 0";
    QTest::newRow("negative power: energy given back")
        << QStringList{"0 -100", "1.5 -100"} << "-100@0 -100@0 -100/1500 -100@1.5 -0.04167";
}

void TestStatistics::spans() {
    QFETCH(QStringList, events);
    QFETCH(QString, summary);
    ReadingHistory history;
    for (const QString &event : events) {
        const QStringList parts = event.split(u' ');
        const qint64 msecs = qint64(parts[0].toDouble() * 1000);
        const QDateTime time = Start.addMSecs(msecs);
        if (parts[1] == QLatin1String("lost"))
            history.markLinkLost(time, msecs);
        else if (parts[1] == QLatin1String("Q"))
            history.addAnswer(time, msecs, {{"Q1", " 1.0", "var"}});
        else if (parts[1] == QLatin1String("OL"))
            history.addAnswer(time, msecs, {{"P1", "   999", "OL."}});
        else
            history.addAnswer(time, msecs, {{"P1", parts[1], "W"}});
    }
    const std::vector<ItemStatistics> statistics = spanStatistics(history, 0, 100 * 1000);
    QCOMPARE(::summary(statistics.at(0)), summary);
}

void TestStatistics::onlyPowersHaveEnergy() {
    ReadingHistory history;
    history.addAnswer(
        Start, 0,
        {{"U1", " 230.0", "V"}, {"Q1", " 1.0", "Kvar"}, {"S1", " 2.0", "KVA"}, {"P1", "3.0", "KWh"}});
    history.addAnswer(
        Start.addMSecs(3600), 3600,
        {{"U1", " 230.0", "V"}, {"Q1", " 1.0", "Kvar"}, {"S1", " 2.0", "KVA"}, {"P1", "3.0", "KWh"}});
    const std::vector<ItemStatistics> statistics = spanStatistics(history, 0, 3600);
    QVERIFY(!statistics.at(0).energy);              // volts
    QCOMPARE(statistics.at(1).energy.value(), 1.0); // 1000 var for a thousandth of an hour
    QCOMPARE(statistics.at(2).energy.value(), 2.0);
    QVERIFY(!statistics.at(3).energy); // an energy already
}

void TestStatistics::numbers_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("significant");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("energy"); // the value as watt-hours
    QTest::newRow("a reading") << 230.1 << 7 << "230.1"
                               << "230.1 Wh";
    QTest::newRow("kilo") << 1234.56 << 7 << "1234.56"
                          << "1.235 kWh";
    QTest::newRow("no exponent for large") << 999999000.0 << 7 << "999999000"
                                           << "1000 MWh";
    QTest::newRow("giga") << 2.5e9 << 7 << "2500000000"
                          << "2.5 GWh";
    QTest::newRow("no exponent for small") << 0.000125 << 7 << "0.000125"
                                           << "0.125 mWh";
    QTest::newRow("milli") << 0.25 << 7 << "0.25"
                           << "250 mWh";
    QTest::newRow("rounded to its digits") << 1300.00001 << 5 << "1300"
                                           << "1.3 kWh";
    QTest::newRow("negative") << -500.0 << 7 << "-500"
                              << "-500 Wh";
    QTest::newRow("zero") << 0.0 << 7 << "0"
                          << "0 Wh";
    QTest::newRow("a tiny negative") << -0.00001 << 2 << "-0.00001"
                                     << "-0.01 mWh";
}

void TestStatistics::numbers() {
    QFETCH(double, value);
    QFETCH(int, significant);
    QFETCH(QString, plain);
    QFETCH(QString, energy);
    QCOMPARE(plainNumber(value, significant), plain);
    QCOMPARE(energyText(value, QStringLiteral("W")), energy);
}

void TestStatistics::texts_data() {
    QTest::addColumn<QStringList>("readings"); // "seconds value", 1.5 s apart at most
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("text"); // %1: the time of the first reading, %2: of the second
    QTest::newRow("no readings") << QStringList{} << "W"
                                 << "no readings in this span";
    QTest::newRow("a power")
        << QStringList{"0 100", "1.5 300"} << "W"
        << "lowest 100 W at %1  \u00B7  highest 300 W at %2  \u00B7  mean 200 W over 0:00:01"
           "  \u00B7  latest 300 W at %2  \u00B7  energy 83.33 mWh";
    QTest::newRow("no unit")
        << QStringList{"0 0.91", "1.5 0.93"} << ""
        << "lowest 0.91 at %1  \u00B7  highest 0.93 at %2  \u00B7  mean 0.92 over 0:00:01"
           "  \u00B7  latest 0.93 at %2";
    QTest::newRow("overloads only") << QStringList{"0 OL", "1.5 OL"} << "\u03A9"
                                    << "highest OL. at %1  \u00B7  latest OL. at %2";
}

void TestStatistics::texts() {
    QFETCH(QStringList, readings);
    QFETCH(QString, unit);
    QFETCH(QString, text);
    ReadingHistory history;
    const QString name = unit == QLatin1String("W") ? QStringLiteral("P1") : QStringLiteral("R1");
    history.addAnswer(Start, 0,
                      {{name, "1", unit.isEmpty() ? QStringLiteral(" ") : unit}}); // the chart is made
    for (const QString &reading : readings) {
        const QStringList parts = reading.split(u' ');
        const qint64 msecs = qint64(parts[0].toDouble() * 1000) + 10000;
        const bool overload = parts[1] == QLatin1String("OL");
        history.addAnswer(Start.addMSecs(msecs), msecs,
                          {{name, overload ? QStringLiteral("  1999") : parts[1],
                            overload         ? QStringLiteral("OL.")
                            : unit.isEmpty() ? QStringLiteral(" ")
                                             : unit}});
    }
    const auto clock = [](int64_t msecs) {
        return Start.addMSecs(msecs).toLocalTime().toString(QStringLiteral("HH:mm:ss"));
    };
    const std::vector<ItemStatistics> statistics = spanStatistics(history, 10000, 20000);
    QCOMPARE(statisticsText(statistics.at(0), unit),
             text.contains(u'%') ? text.arg(clock(10000), clock(11500)) : text);
}

QTEST_APPLESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
