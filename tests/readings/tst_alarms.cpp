// Alarms without a window: limit texts as the command line gives them, and the monitor fed with
// timed readings (limits, hold time, hysteresis, overloads, gaps, a wall clock set back, limits
// changed while raised).
#include "readings/AlarmMonitor.h"

#include <QTest>

namespace {

const QDateTime Start(QDate(2026, 12, 10), QTime(9, 0), Qt::OffsetFromUTC, 3600);

QString limitsText(const std::vector<AlarmLimit> &limits) {
    QStringList texts;
    for (const AlarmLimit &limit : limits)
        texts << QStringLiteral("%1 %2..%3 hold %4 ms, %5 %")
                     .arg(limit.item, limit.lower ? QString::number(*limit.lower) : QStringLiteral("-"),
                          limit.upper ? QString::number(*limit.upper) : QStringLiteral("-"))
                     .arg(limit.holdMs)
                     .arg(limit.hysteresisPercent);
    return texts.join(QStringLiteral("; "));
}

} // namespace

class TestAlarms : public QObject {
    Q_OBJECT
private slots:
    void limitTexts_data();
    void limitTexts();
    void raiseAndClear_data();
    void raiseAndClear();
    void eventsSayWhatAndSince();
    void changedLimitClearsItsAlarm();
};

void TestAlarms::limitTexts_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("limits"); // or the error
    QTest::newRow("a lower limit") << QStringList{"U1<207"} << "U1 207..- hold 2500 ms, 1 %";
    QTest::newRow("an upper limit, blanks and a fraction")
        << QStringList{" I1 > 16.5 "} << "I1 -..16.5 hold 2500 ms, 1 %";
    QTest::newRow("both sides of one item, and another item")
        << QStringList{"U1<207", "I1>16", "U1>253"}
        << "U1 207..253 hold 2500 ms, 1 %; I1 -..16 hold 2500 ms, 1 %";
    QTest::newRow("a negative limit") << QStringList{"P>-500"} << "P -..-500 hold 2500 ms, 1 %";
    const QString usage = QStringLiteral("'%1' is not a limit: write an item, < or > and a number in the "
                                         "item's base unit, as 'U1<207' or 'I1>16'.");
    QTest::newRow("no sign") << QStringList{"U1=207"} << usage.arg("U1=207");
    QTest::newRow("both signs") << QStringList{"U1<>207"} << usage.arg("U1<>207");
    QTest::newRow("a sign twice") << QStringList{"U1<<207"} << usage.arg("U1<<207");
    QTest::newRow("no item") << QStringList{"<207"} << usage.arg("<207");
    QTest::newRow("no number") << QStringList{"U1<"} << usage.arg("U1<");
    QTest::newRow("an item the meter does not have")
        << QStringList{"U4<207"} << "'U4<207': U4 is not an item of the meter.";
    QTest::newRow("the time cannot be limited")
        << QStringList{"TIME>5"} << "'TIME>5': TIME readings are times, not numbers.";
    QTest::newRow("not a number") << QStringList{"U1<2o7"} << "'U1<2o7': 2o7 is not a number.";
    QTest::newRow("a unit is not taken") << QStringList{"U1<207V"} << "'U1<207V': 207V is not a number.";
    QTest::newRow("no infinity") << QStringList{"U1<inf"} << "'U1<inf': inf is not a number.";
    QTest::newRow("a side set twice") << QStringList{"U1<207", "I1>16", "U1<210"}
                                      << "'U1<207' and 'U1<210' both set the lower limit of U1.";
    QTest::newRow("lower not below upper")
        << QStringList{"U1<250", "U1>240"} << "U1: the lower limit 250 is not below the upper limit 240.";
}

void TestAlarms::limitTexts() {
    QFETCH(QStringList, texts);
    QFETCH(QString, limits);
    QString error;
    const std::optional<std::vector<AlarmLimit>> parsed = alarmLimitsFromTexts(texts, 2500, error);
    QCOMPARE(parsed ? limitsText(*parsed) : error, limits);
    QCOMPARE(error.isEmpty(), parsed.has_value());
}

void TestAlarms::raiseAndClear_data() {
    // Readings of one item, "seconds value unit" on the monotonic clock, or "seconds lost" for a
    // lost link; what the monitor says at each, "+high", "+low", "-" (cleared) or nothing.
    QTest::addColumn<QString>("limit"); // lower upper hold-seconds hysteresis-%, "-" for none
    QTest::addColumn<QStringList>("readings");
    QTest::addColumn<QStringList>("events"); // "seconds event"
    QTest::newRow("held long enough")
        << "- 250 3 1" << QStringList{"0 240 V", "1.5 251 V", "3 252 V", "4.5 253 V", "6 251 V"}
        << QStringList{"4.5 +high"};
    QTest::newRow("a crossing shorter than the hold")
        << "- 250 3 1" << QStringList{"0 251 V", "1.5 252 V", "3 249 V", "4.5 251 V", "6 251 V"}
        << QStringList{};
    QTest::newRow("no hold: at once") << "- 250 0 1" << QStringList{"0 251 V"} << QStringList{"0 +high"};
    QTest::newRow("on the limit is inside")
        << "200 250 0 1" << QStringList{"0 250 V", "1 200 V"} << QStringList{};
    QTest::newRow("hysteresis: back inside by 1 % of the limit")
        << "- 250 0 1" << QStringList{"0 251 V", "1.5 248 V", "3 247.6 V", "4.5 247.5 V", "6 251 V"}
        << QStringList{"0 +high", "4.5 -", "6 +high"};
    QTest::newRow("a low alarm clears above the limit plus its band")
        << "200 - 0 2" << QStringList{"0 199 V", "1.5 203.9 V", "3 204 V"} << QStringList{"0 +low", "3 -"};
    QTest::newRow("kilowatts against a limit in watts")
        << "- 1500 0 1" << QStringList{"0 1.45 KW", "1.5 1.51 KW", "3 900 W"}
        << QStringList{"1.5 +high", "3 -"};
    QTest::newRow("an overload is above every upper limit")
        << "- 250 3 1" << QStringList{"0 OL.", "1.5 OL.", "3 OL.", "4.5 240 V"}
        << QStringList{"3 +high", "4.5 -"};
    QTest::newRow("an overload is not below a lower limit and clears a low alarm")
        << "200 - 0 1" << QStringList{"0 OL.", "1.5 190 V", "3 OL."} << QStringList{"1.5 +low", "3 -"};
    QTest::newRow("from high straight to low") << "200 250 0 1" << QStringList{"0 260 V", "1.5 190 V"}
                                               << QStringList{"0 +high", "1.5 -", "1.5 +low"};
    QTest::newRow("from above to below restarts the hold")
        << "200 250 3 1" << QStringList{"0 260 V", "1.5 190 V", "3 190 V", "4.5 190 V"}
        << QStringList{"4.5 +low"};
    QTest::newRow("a lost link breaks the hold")
        << "- 250 3 1" << QStringList{"0 251 V", "1.5 251 V", "2 lost", "6 251 V", "7.5 251 V", "9 251 V"}
        << QStringList{"9 +high"};
    QTest::newRow("a raised alarm stays over a lost link")
        << "- 250 0 1" << QStringList{"0 251 V", "2 lost", "6 251 V", "7.5 240 V"}
        << QStringList{"0 +high", "7.5 -"};
    QTest::newRow("a pause in the answers breaks the hold")
        << "- 250 3 1" << QStringList{"0 251 V", "1.5 251 V", "10 251 V", "11.5 251 V", "13 251 V"}
        << QStringList{"13 +high"};
    // Other items' answers every 1.5 s from 1.5 s up to `seconds`.
    const auto otherItemsUntil = [](int seconds) {
        QStringList answers;
        for (int tenths = 15; tenths <= seconds * 10; tenths += 15)
            answers << QStringLiteral("%1 other").arg(tenths / 10.0);
        return answers;
    };
    QTest::newRow("the item away over a minute breaks the hold")
        << "- 250 3 1"
        << QStringList{"0 251 V"} + otherItemsUntil(61) + QStringList{"62.5 251 V", "64 251 V", "65.5 251 V"}
        << QStringList{"65.5 +high"};
    QTest::newRow("the item away less than a minute keeps the hold")
        << "- 250 3 1" << QStringList{"0 251 V"} + otherItemsUntil(58) + QStringList{"59 251 V"}
        << QStringList{"59 +high"};
    QTest::newRow("other items between readings keep the hold")
        << "- 250 3 1" << QStringList{"0 251 V", "1.5 other", "3 251 V"} << QStringList{"3 +high"};
    QTest::newRow("a time reading is passed over")
        << "- 250 0 1" << QStringList{"0 12:34 mins"} << QStringList{};
}

void TestAlarms::raiseAndClear() {
    QFETCH(QString, limit);
    QFETCH(QStringList, readings);
    QFETCH(QStringList, events);
    const QStringList limitParts = limit.split(u' ');
    AlarmLimit watched;
    watched.item = QStringLiteral("U1");
    if (limitParts[0] != QLatin1String("-"))
        watched.lower = limitParts[0].toDouble();
    if (limitParts[1] != QLatin1String("-"))
        watched.upper = limitParts[1].toDouble();
    watched.holdMs = limitParts[2].toLongLong() * 1000;
    watched.hysteresisPercent = limitParts[3].toDouble();
    QCOMPARE(alarmLimitProblem(watched), QString());
    AlarmMonitor monitor;
    QVERIFY(monitor.setLimits({watched}, Start, 0).empty());

    QStringList said;
    for (const QString &reading : readings) {
        const QStringList parts = reading.split(u' ');
        const qint64 msecs = qint64(parts[0].toDouble() * 1000);
        // The wall clock is set back an hour half way: holds are measured on the monotonic one.
        const QDateTime time = Start.addMSecs(msecs - (msecs > 5000 ? 3600 * 1000 : 0));
        std::vector<AlarmEvent> happened;
        if (parts[1] == QLatin1String("lost"))
            monitor.linkLost();
        else if (parts[1] == QLatin1String("other"))
            happened = monitor.check(time, msecs, {{"I1", " 1.000", "A"}});
        else if (parts[1] == QLatin1String("OL."))
            happened = monitor.check(time, msecs, {{"I1", " 1.000", "A"}, {"U1", "  1999", "OL."}});
        else
            happened = monitor.check(time, msecs, {{"U1", parts[1], parts[2]}});
        for (const AlarmEvent &event : happened)
            said << parts[0] + (event.raised
                                    ? (event.alarm.high ? QStringLiteral(" +high") : QStringLiteral(" +low"))
                                    : QStringLiteral(" -"));
    }
    QCOMPARE(said, events);
    // What is raised at the end agrees with the events.
    const bool raisedAtEnd = !events.isEmpty() && !events.constLast().endsWith(u'-');
    QCOMPARE(monitor.raised().size(), size_t(raisedAtEnd ? 1 : 0));
}

void TestAlarms::eventsSayWhatAndSince() {
    AlarmMonitor monitor;
    AlarmLimit limit;
    limit.item = QStringLiteral("P1");
    limit.upper = 1500;
    monitor.setLimits({limit}, Start, 0);
    QVERIFY(monitor.check(Start, 0, {{"P1", "  1.60", "KW"}}).empty());
    QVERIFY(monitor.check(Start.addMSecs(1500), 1500, {{"P1", "  1.70", "KW"}}).empty());
    const std::vector<AlarmEvent> raised =
        monitor.check(Start.addMSecs(3000), 3000, {{"P1", "  1.80", "KW"}});
    QCOMPARE(raised.size(), size_t(1));
    const AlarmEvent &event = raised[0];
    QVERIFY(event.raised);
    QCOMPARE(event.time, Start.addMSecs(3000));
    QCOMPARE(event.monotonicMs, qint64(3000));
    QCOMPARE(event.alarm.since, Start);
    QCOMPARE(event.alarm.sinceMonotonicMs, qint64(0));
    QCOMPARE(alarmEventWord(event), QStringLiteral("alarm high"));
    QCOMPARE(alarmValueText(event.alarm), QStringLiteral("1800 W"));
    QCOMPARE(alarmText(event.alarm), QStringLiteral("P1 above 1500 W since %1, now 1800 W")
                                         .arg(Start.toLocalTime().toString(QStringLiteral("HH:mm:ss"))));
    // While raised, the alarm shows the latest value.
    monitor.check(Start.addMSecs(4500), 4500, {{"P1", "   OL.", "OL."}});
    QCOMPARE(monitor.raised().size(), size_t(1));
    QCOMPARE(alarmValueText(monitor.raised()[0]), QStringLiteral("OL."));
    const std::vector<AlarmEvent> cleared =
        monitor.check(Start.addMSecs(6000), 6000, {{"P1", "  1.40", "KW"}});
    QCOMPARE(cleared.size(), size_t(1));
    QCOMPARE(alarmEventWord(cleared[0]), QStringLiteral("alarm cleared"));
    QCOMPARE(alarmValueText(cleared[0].alarm), QStringLiteral("1400 W"));
    QCOMPARE(cleared[0].alarm.since, Start);
}

void TestAlarms::changedLimitClearsItsAlarm() {
    AlarmMonitor monitor;
    AlarmLimit u1;
    u1.item = QStringLiteral("U1");
    u1.upper = 250;
    u1.holdMs = 0;
    AlarmLimit i1 = u1;
    i1.item = QStringLiteral("I1");
    i1.upper = 16;
    monitor.setLimits({u1, i1}, Start, 0);
    QCOMPARE(monitor.check(Start, 0, {{"U1", " 251.0", "V"}, {"I1", "17.000", "A"}}).size(), size_t(2));

    // U1 is set again as it was; I1's limit moves.
    i1.upper = 20;
    const std::vector<AlarmEvent> events = monitor.setLimits({u1, i1}, Start.addSecs(2), 2000);
    QCOMPARE(events.size(), size_t(1));
    QCOMPARE(events[0].alarm.item, QStringLiteral("I1"));
    QVERIFY(!events[0].raised);
    QCOMPARE(events[0].time, Start.addSecs(2));
    QCOMPARE(monitor.raised().size(), size_t(1));
    QCOMPARE(monitor.raised()[0].item, QStringLiteral("U1"));

    // No limits: every alarm clears.
    QCOMPARE(monitor.setLimits({}, Start.addSecs(3), 3000).size(), size_t(1));
    QVERIFY(monitor.raised().empty());
    QVERIFY(monitor.check(Start.addSecs(4), 4000, {{"U1", " 300.0", "V"}}).empty());
}

QTEST_APPLESS_MAIN(TestAlarms)
#include "tst_alarms.moc"
