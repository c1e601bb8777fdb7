// The run's readings and the trend window: what the history keeps, how the lines are cut and
// thinned, the window opened from the Operate menu, following the readings whatever the wall
// clock does, its statistics and alarm spells, exported.
#include "app/Form1.h"
#include "readings/RunReadings.h"
#include "support/FakePlatform.h"
#include "support/RealtimeAnswers.h"
#include "trend/ChartLines.h"
#include "trend/TrendChartView.h"
#include "trend/TrendWindow.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

namespace {

const QDateTime Start(QDate(2026, 12, 10), QTime(8, 0), Qt::UTC);

std::vector<ShownReading> power(const QString &watts) {
    return {{"P1", watts, "W"}, {"U1", " 230.1", "V"}};
}

// The points of one item's segments as "seconds on the monotonic clock: value".
QStringList pointsOf(const ChartLine &line) {
    QStringList segments;
    for (const std::vector<QPointF> &segment : line.segments) {
        QStringList points;
        for (const QPointF &point : segment)
            points << QStringLiteral("%1:%2").arg(qint64(point.x()) / 1000).arg(point.y());
        segments << points.join(u' ');
    }
    return segments;
}

// A run of readings on the fake platform's clocks, without a window to drive them.
struct Run {
    FakePlatform platform;
    RunReadings readings{[this] { return platform.monotonicMs(); }};

    void answer(const std::vector<ShownReading> &shown) {
        readings.addAnswer(platform.currentDateTime(), shown);
    }
    void after(int64_t msecs) { platform.clock.advance(msecs); }
};

// Every series of a chart of the window, in the order the chart holds them.
QList<QLineSeries *> seriesOf(const TrendWindow &window, int chart) {
    const auto *view = window.findChild<QChartView *>(QStringLiteral("TrendChart%1").arg(chart));
    return view ? view->chart()->findChildren<QLineSeries *>() : QList<QLineSeries *>();
}

QString statisticsOf(const TrendWindow &window, int chart) {
    const auto *label = window.findChild<QLabel *>(QStringLiteral("TrendStatistics%1").arg(chart));
    return label ? label->text() : QStringLiteral("(no statistics)");
}

} // namespace

class TestTrend : public QObject {
    Q_OBJECT
private slots:
    void historyItemsAndLink();
    void historyIsBounded();
    void linesBreakAndThin_data();
    void linesBreakAndThin();
    void chartsPerItemAndUnit_data();
    void chartsPerItemAndUnit();
    void clockSetBackKeepsTheSpan();
    void windowIsOneAndFollowsTheReadings();
    void everySegmentIsDrawn_data();
    void everySegmentIsDrawn();
    void valueAxisFitsTheReadings_data();
    void valueAxisFitsTheReadings();
    void statisticsFollowTheSpan();
    void alarmSpellsAreShaded();
    void exportWritesPngAndSvg_data();
    void exportWritesPngAndSvg();
    void failedExportIsReported();
};

void TestTrend::historyItemsAndLink() {
    ReadingHistory history;
    QSignalSpy changes(&history, &ReadingHistory::changed);
    QVERIFY(!history.markLinkLost(Start.addSecs(-3), -3000)); // never up: nothing to lose
    QVERIFY(!history.addAnswer(Start, 0,
                               {{"P1", "  1.20", "KW"}, {"TIME", "12:34", "mins"}, {"P1", " 999", "OL."}}));
    QVERIFY(history.markLinkLost(Start.addSecs(3), 3000));
    QVERIFY(!history.markLinkLost(Start.addSecs(6), 6000)); // still lost: not news
    QVERIFY(history.addAnswer(Start.addSecs(9), 9000, power(" 276.1")));
    QVERIFY(!history.addAnswer(Start.addSecs(10), 10000, power(" 276.1")));

    QCOMPARE(changes.size(), 4);
    QCOMPARE(history.items().size(), size_t(2));
    QCOMPARE(history.items()[0].name, QStringLiteral("P1"));
    QCOMPARE(history.items()[0].unit, QStringLiteral("W")); // kilowatts kept as watts
    QCOMPARE(history.items()[1].name, QStringLiteral("U1"));
    const ReadingHistory::Answer &first = history.answers().front();
    QCOMPARE(first.samples[0].value, 1200.0);
    QVERIFY(std::isnan(first.samples[1].value)); // the overload: P1's chart, a gap
    QCOMPARE(first.samples[1].item, qint16(0));
    QCOMPARE(first.samples[2].item, qint16(-1)); // the time reading is not charted
    QVERIFY(history.answers()[1].linkLost);
    QCOMPARE(history.answers()[1].wallMs, Start.addSecs(3).toMSecsSinceEpoch());
    QCOMPARE(history.answers()[1].monotonicMs, qint64(3000));
}

void TestTrend::historyIsBounded() {
    ReadingHistory history;
    size_t answer = 0;
    const auto pollUntil = [&](size_t answers) {
        for (; answer < answers; ++answer)
            history.addAnswer(Start.addMSecs(qint64(answer) * 1500), qint64(answer) * 1500,
                              power(QString::number(answer)));
    };
    pollUntil(24 * 3600 * 1000 / 1500); // a day of polling is all kept
    QCOMPARE(history.answers().front().wallMs, Start.toMSecsSinceEpoch());
    pollUntil(ReadingHistory::MaxAnswers + 100); // past the bound the oldest go
    QCOMPARE(history.answers().size(), ReadingHistory::MaxAnswers);
    QCOMPARE(history.answers().front().samples[0].value, 100.0);
}

void TestTrend::linesBreakAndThin_data() {
    QTest::addColumn<QStringList>("events"); // "seconds value" or "seconds lost"
    QTest::addColumn<int>("columns");
    QTest::addColumn<QStringList>("segments");

    QTest::newRow("one point a column: all kept")
        << QStringList{"0 1", "1.5 2", "3 3"} << 100 << QStringList{"0:1 1:2 3:3"};
    QTest::newRow("lost link breaks the line")
        << QStringList{"0 1", "1.5 2", "3 lost", "6 5", "7.5 6"} << 100 << QStringList{"0:1 1:2", "6:5 7:6"};
    QTest::newRow("a pause longer than three polls breaks it")
        << QStringList{"0 1", "1.5 2", "7 3", "8.5 4"} << 100 << QStringList{"0:1 1:2", "7:3 8:4"};
    QTest::newRow("other items between readings do not break it")
        << QStringList{"0 1", "1.5 Q", "3 Q", "4.5 Q", "6 Q", "7.5 2"} << 100 << QStringList{"0:1 7:2"};
    // Other items' answers every 1.5 s from 1.5 s up to `seconds`.
    const auto otherItemsUntil = [](int seconds) {
        QStringList answers;
        for (int tenths = 15; tenths <= seconds * 10; tenths += 15)
            answers << QStringLiteral("%1 Q").arg(tenths / 10.0);
        return answers;
    };
    QTest::newRow("an item away for less than a minute is joined")
        << QStringList{"0 1"} + otherItemsUntil(58) + QStringList{"59 2"} << 100 << QStringList{"0:1 59:2"};
    QTest::newRow("an item away for over a minute is broken")
        << QStringList{"0 1"} + otherItemsUntil(61) + QStringList{"62 2"} << 100
        << QStringList{"0:1", "62:2"};
    QTest::newRow("an overload breaks it")
        << QStringList{"0 1", "1.5 OL", "3 3", "4.5 4"} << 100 << QStringList{"0:1", "3:3 4:4"};
    // Two columns over ten seconds: each keeps its lowest and highest, in the order they came.
    QTest::newRow("thinned to low and high per column")
        << QStringList{"0 5", "1 9", "2 1", "3 4", "4 6", "5 2", "6 8", "7 3", "8 7", "9 5"} << 2
        << QStringList{"1:9 2:1 5:2 6:8"};
    // Breaks that would not show at the chart's scale do not start a line of their own.
    QTest::newRow("many breaks in one column: one segment")
        << QStringList{"0 1", "0.5 OL", "1 5", "1.5 lost", "2 2", "2.5 OL", "3 3", "6 OL", "7 4"} << 2
        << QStringList{"0:1 1:5 7:4"};
    QTest::newRow("a break before the next column is not drawn")
        << QStringList{"0 1", "0.5 OL", "1.5 2"} << 10 << QStringList{"0:1 1:2"};
    QTest::newRow("a break over a whole column is drawn")
        << QStringList{"0 1", "0.5 OL", "2.5 2"} << 10 << QStringList{"0:1", "2:2"};
    QTest::newRow("before the span is left out")
        << QStringList{"-10 7", "0 1", "1 2"} << 100 << QStringList{"0:1 1:2"};
}

void TestTrend::linesBreakAndThin() {
    QFETCH(QStringList, events);
    QFETCH(int, columns);
    QFETCH(QStringList, segments);
    ReadingHistory history;
    // Ten seconds, or up to the last event.
    qint64 to = 9999;
    for (const QString &event : events) {
        const QStringList parts = event.split(u' ');
        const qint64 msecs = qint64(parts[0].toDouble() * 1000);
        const QDateTime time = Start.addMSecs(msecs);
        to = std::max(to, msecs);
        if (parts[1] == QLatin1String("lost"))
            history.markLinkLost(time, msecs);
        else if (parts[1] == QLatin1String("Q"))
            history.addAnswer(time, msecs, {{"Q1", " 1.0", "var"}});
        else if (parts[1] == QLatin1String("OL"))
            history.addAnswer(time, msecs, {{"P1", "   999", "OL."}});
        else
            history.addAnswer(time, msecs, {{"P1", parts[1], "W"}});
    }
    const std::vector<ChartLine> lines = chartLines(history, 0, to, columns);
    QCOMPARE(pointsOf(lines.at(0)), segments);
}

void TestTrend::chartsPerItemAndUnit_data() {
    QTest::addColumn<QStringList>("readings"); // "item value unit", 1.5 s apart
    QTest::addColumn<QStringList>("charts");   // "item unit: segments"
    QTest::newRow("an overload first makes no chart and later ones still break the line")
        << QStringList{"R1 OL. OL.", "R1 100.0 \u03A9", "R1 OL. OL.", "R1 OL. OL.", "R1 1.00 k\u03A9"}
        << QStringList{"R1 \u03A9: 1:100 | 6:1000"};
    QTest::newRow("a number without a unit joins the item's chart")
        << QStringList{"U1 230.1 V", "U1 231.0 _", "U1 232.0 V"} << QStringList{"U1 V: 0:230.1 1:231 3:232"};
    QTest::newRow("a number without a unit first has a chart of its own")
        << QStringList{"PF1 0.98 _", "PF1 0.97 _"} << QStringList{"PF1 : 0:0.98 1:0.97"};
    QTest::newRow("an overload breaks the line its item's last number went to")
        << QStringList{"W 1.0 KWh", "W 5.0 W", "W OL. OL.", "W OL. OL.", "W 6.0 W", "W 1.1 KWh"}
        << QStringList{"W Wh: 0:1000 7:1100", "W W: 1:5 | 6:6"};
}

void TestTrend::chartsPerItemAndUnit() {
    QFETCH(QStringList, readings);
    QFETCH(QStringList, charts);
    ReadingHistory history;
    for (qsizetype index = 0; index < readings.size(); ++index) {
        QStringList parts = readings[index].split(u' ');
        if (parts[2] == QLatin1String("_"))
            parts[2] = QStringLiteral(" ");
        history.addAnswer(Start.addMSecs(index * 1500), index * 1500, {{parts[0], parts[1], parts[2]}});
    }
    const std::vector<ChartLine> lines = chartLines(history, 0, 9999, 100);
    QStringList drawn;
    for (size_t item = 0; item < history.items().size(); ++item)
        drawn << QStringLiteral("%1 %2: %3")
                     .arg(history.items()[item].name, history.items()[item].unit,
                          pointsOf(lines.at(item)).join(QStringLiteral(" | ")));
    QCOMPARE(drawn, charts);
}

// The wall clock set back an hour in the middle of ten minutes of readings: the five-minute span
// still holds the five minutes just gone, on both sides of the step, and marks the step.
void TestTrend::clockSetBackKeepsTheSpan() {
    Run run;
    TrendWindow window(run.readings, run.platform, nullptr);
    window.show();
    for (int answer = 0; answer < 400; ++answer) {
        if (answer == 300)
            run.platform.wallClockStep = -3600 * 1000;
        run.answer(power(QString::number(200 + answer)));
        run.after(1500);
    }
    window.redraw();
    QCOMPARE(window.TrendSpan->currentIndex(), int(TrendWindow::LastFiveMinutes));
    const QList<QLineSeries *> series = seriesOf(window, 0);
    QVERIFY(!series.isEmpty());
    const QList<QPointF> points = series.constFirst()->points();
    // 200 answers in the last five minutes, thinned to no more than two a column but not emptied.
    QVERIFY2(points.size() > 150, qPrintable(QString::number(points.size())));
    QCOMPARE(points.constLast().y(), 599.0);
    QVERIFY(points.constFirst().y() < 300 + 200); // before the step
    for (qsizetype index = 1; index < points.size(); ++index)
        QVERIFY(points[index].x() > points[index - 1].x());
    // The axis ends at the wall clock's now.
    const auto *axis =
        qobject_cast<QDateTimeAxis *>(seriesOf(window, 0).constFirst()->attachedAxes().constFirst());
    QVERIFY(axis);
    QCOMPARE(axis->max(), run.platform.currentDateTime());
    const auto *view = window.findChild<TrendChartView *>(QStringLiteral("TrendChart0"));
    QCOMPARE(view->steps().size(), size_t(1));
    QCOMPARE(view->steps()[0].stepMs, qint64(-3600 * 1000));
    // The step stands where the answer after it is drawn.
    const qint64 stepAt = run.platform.currentDateTime().toMSecsSinceEpoch() - 100 * 1500;
    QCOMPARE(qint64(view->steps()[0].at), stepAt);
    // Each reading's time is the one the clock gave when it came: before the step, an hour later.
    const auto clockAgo = [&run](int64_t msecs) {
        return run.platform.currentDateTime().addMSecs(-msecs).toLocalTime().toString(
            QStringLiteral("HH:mm:ss"));
    };
    QVERIFY2(statisticsOf(window, 0).startsWith(
                 QStringLiteral("lowest 400 W at %1").arg(clockAgo(300 * 1000 - 3600 * 1000))),
             qPrintable(statisticsOf(window, 0)));
    QVERIFY2(statisticsOf(window, 0).contains(QStringLiteral("latest 599 W at %1").arg(clockAgo(1500))),
             qPrintable(statisticsOf(window, 0)));
}

void TestTrend::windowIsOneAndFollowsTheReadings() {
    FakePlatform platform;
    Form1 form(platform);
    receiveRealtimeAnswer(form.engine, "04 03 20 32 33 30 2E 31  31 01 20 20 31 2E 32 30"
                                       "20 20 20 20 20 20 20 20  20 20 20 20 20 20 20 20");

    form.menutrend_Click();
    TrendWindow *window = form.findChild<TrendWindow *>(QStringLiteral("TrendWindow"));
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->isWindow());
    QCOMPARE(window->windowModality(), Qt::NonModal);
    QCOMPARE(window->TrendSpan->count(), 3);
    QCOMPARE(window->TrendSpan->itemText(2), QStringLiteral("Whole session"));
    QCOMPARE(window->findChildren<QChartView *>().size(), 2); // U1 and I1

    receiveRealtimeAnswer(form.engine, "0B 07 20 32 37 36 2E 31  04 03 20 32 33 31 2E 30"
                                       "20 20 20 20 20 20 20 20  20 20 20 20 20 20 20 20");
    QCOMPARE(window->findChildren<QChartView *>().size(), 3); // P1 joins
    const QList<QLineSeries *> u1 = seriesOf(*window, 0);
    QVERIFY(!u1.isEmpty());
    QCOMPARE(u1.constFirst()->count(), 2);
    QCOMPARE(u1.constFirst()->at(1).y(), 231.0);

    form.menutrend_Click();
    QCOMPARE(form.findChildren<TrendWindow *>().size(), 1);
    QCOMPARE(platform.messages.size(), size_t(0));
}

void TestTrend::everySegmentIsDrawn_data() {
    QTest::addColumn<QList<int>>("secondsAgo"); // one P1 reading each
    QTest::addColumn<int>("segments");
    QTest::newRow("a line of two readings") << QList<int>{3, 0} << 1;
    QTest::newRow("a lone reading") << QList<int>{0} << 1;
    QTest::newRow("lone readings either side of a pause") << QList<int>{60, 0} << 2;
}

void TestTrend::everySegmentIsDrawn() {
    QFETCH(QList<int>, secondsAgo);
    QFETCH(int, segments);
    Run run;
    for (qsizetype reading = 0; reading < secondsAgo.size(); ++reading) {
        run.answer({{"P1", QString::number(270 + secondsAgo[reading]), "W"}});
        if (reading + 1 < secondsAgo.size())
            run.after((secondsAgo[reading] - secondsAgo[reading + 1]) * 1000);
    }
    TrendWindow window(run.readings, run.platform, nullptr);
    window.show();
    QChartView *view = window.findChild<QChartView *>(QStringLiteral("TrendChart0"));
    QVERIFY(view);
    const QList<QLineSeries *> series = view->chart()->findChildren<QLineSeries *>();
    QCOMPARE(series.size(), segments);

    // Every reading has pixels of the line's colour around it (nothing else in the chart has it).
    const QImage picture = view->grab().toImage();
    for (QLineSeries *segment : series) {
        const QColor colour = segment->color();
        for (const QPointF &point : segment->points()) {
            const QPoint centre =
                view->mapFromScene(view->chart()->mapToScene(view->chart()->mapToPosition(point, segment)));
            int linePixels = 0;
            for (int y = centre.y() - 3; y <= centre.y() + 3; ++y)
                for (int x = centre.x() - 3; x <= centre.x() + 3; ++x) {
                    const QColor pixel = picture.pixelColor(x, y);
                    const int distance = std::abs(pixel.red() - colour.red()) +
                                         std::abs(pixel.green() - colour.green()) +
                                         std::abs(pixel.blue() - colour.blue());
                    linePixels += distance < 60 ? 1 : 0;
                }
            QVERIFY2(linePixels > 0,
                     qPrintable(QStringLiteral("nothing drawn at %1, %2").arg(centre.x()).arg(centre.y())));
        }
    }
}

void TestTrend::valueAxisFitsTheReadings_data() {
    QTest::addColumn<QStringList>("watts"); // three seconds apart
    QTest::addColumn<double>("lowest");
    QTest::addColumn<double>("highest");
    QTest::newRow("readings that vary: a twentieth either side")
        << QStringList{" 270.0", " 280.0"} << 269.5 << 280.5;
    QTest::newRow("a flat reading: a hundredth of it")
        << QStringList{" 230.1", " 230.1"} << 227.799 << 232.401;
    QTest::newRow("a flat negative reading") << QStringList{" -5.00"} << -5.05 << -4.95;
    QTest::newRow("a flat zero") << QStringList{" 0.000", " 0.000"} << -0.001 << 0.001;
}

void TestTrend::valueAxisFitsTheReadings() {
    QFETCH(QStringList, watts);
    QFETCH(double, lowest);
    QFETCH(double, highest);
    Run run;
    for (const QString &reading : watts) {
        run.answer({{"P1", reading, "W"}});
        run.after(3000);
    }
    TrendWindow window(run.readings, run.platform, nullptr);
    QChartView *view = window.findChild<QChartView *>(QStringLiteral("TrendChart0"));
    QVERIFY(view);
    const auto *axis = qobject_cast<QValueAxis *>(view->chart()->axes(Qt::Vertical).constFirst());
    QVERIFY(axis);
    QCOMPARE(axis->min(), lowest);
    QCOMPARE(axis->max(), highest);
}

// Ten minutes of watts rising by one each answer, with the link lost for ten seconds at the start.
void TestTrend::statisticsFollowTheSpan() {
    Run run;
    const QString clockAtStart =
        run.platform.currentDateTime().toLocalTime().toString(QStringLiteral("HH:mm:ss"));
    TrendWindow window(run.readings, run.platform, nullptr);
    window.show();
    run.answer(power(QStringLiteral("1000")));
    run.after(1500);
    run.readings.linkLost(run.platform.currentDateTime());
    run.after(8500);
    for (int answer = 1; answer <= 400; ++answer) {
        if (answer > 1)
            run.after(1500);
        run.answer(power(QString::number(1000 + answer)));
    }
    const auto clockAgo = [&run](int64_t msecs) {
        return run.platform.currentDateTime().addMSecs(-msecs).toLocalTime().toString(
            QStringLiteral("HH:mm:ss"));
    };
    // The last five minutes: 201 answers from 1200 W to 1400 W, 300 s joined.
    QCOMPARE(
        statisticsOf(window, 0),
        QStringLiteral("lowest 1200 W at %1  \u00B7  highest 1400 W at %2  \u00B7  mean 1300 W over 0:05:00"
                       "  \u00B7  latest 1400 W at %2  \u00B7  energy 108.3 Wh")
            .arg(clockAgo(300 * 1000), clockAgo(0)));
    QVERIFY(
        statisticsOf(window, 1).startsWith(QStringLiteral("lowest 230.1 V at %1").arg(clockAgo(300 * 1000))));
    QVERIFY(!statisticsOf(window, 1).contains(QLatin1String("energy"))); // volts are not a power

    // The whole session: the lost link's ten seconds are in no mean and no energy.
    window.TrendSpan->setCurrentIndex(TrendWindow::WholeSession);
    QVERIFY2(statisticsOf(window, 0).startsWith(QStringLiteral("lowest 1000 W at %1").arg(clockAtStart)),
             qPrintable(statisticsOf(window, 0)));
    QVERIFY2(statisticsOf(window, 0).contains(QLatin1String("mean 1200.5 W over 0:09:58")),
             qPrintable(statisticsOf(window, 0)));
}

void TestTrend::alarmSpellsAreShaded() {
    Run run;
    AlarmLimit limit;
    limit.item = QStringLiteral("P1");
    limit.upper = 300;
    limit.holdMs = 0;
    run.readings.setAlarmLimits({limit}, run.platform.currentDateTime());
    const QStringList watts{"250", "250", "350", "350", "350", "250", "250", "250"};
    for (const QString &reading : watts) {
        run.answer(power(reading));
        run.after(1500);
    }
    TrendWindow window(run.readings, run.platform, nullptr);
    window.resize(900, 700);
    window.show();
    auto *p1 = window.findChild<TrendChartView *>(QStringLiteral("TrendChart0"));
    auto *u1 = window.findChild<TrendChartView *>(QStringLiteral("TrendChart1"));
    QVERIFY(p1 && u1);
    QVERIFY(u1->spells().empty()); // the alarm is P1's
    QCOMPARE(p1->spells().size(), size_t(1));
    const qint64 end = run.platform.currentDateTime().toMSecsSinceEpoch();
    // From the first reading above the limit (the third) to the one that cleared it (the sixth).
    QCOMPARE(qint64(p1->spells()[0].from), end - 6 * 1500);
    QCOMPARE(qint64(p1->spells()[0].to), end - 3 * 1500);

    // The shade is drawn: the middle of the spell is redder than the plot beside it.
    const QImage picture = p1->grab().toImage();
    const QRectF plot = p1->chart()->mapRectToScene(p1->chart()->plotArea());
    const auto *axis = qobject_cast<QDateTimeAxis *>(p1->chart()->axes(Qt::Horizontal).constFirst());
    const auto xOf = [&](double msecs) {
        const double from = double(axis->min().toMSecsSinceEpoch());
        const double to = double(axis->max().toMSecsSinceEpoch());
        return int(plot.left() + (msecs - from) / (to - from) * plot.width());
    };
    const int y = int(plot.top() + plot.height() * 0.9);
    const QColor inside = picture.pixelColor(xOf((p1->spells()[0].from + p1->spells()[0].to) / 2), y);
    const QColor outside = picture.pixelColor(xOf(p1->spells()[0].to + 2000), y);
    QVERIFY2(inside.red() - inside.green() > outside.red() - outside.green() + 20,
             qPrintable(inside.name() + QLatin1String(" against ") + outside.name()));
}

void TestTrend::exportWritesPngAndSvg_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("PNG") << "trend.png" << QByteArray("\x89PNG");
    QTest::newRow("SVG") << "trend.svg" << QByteArray("<?xml");
}

void TestTrend::exportWritesPngAndSvg() {
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    Run run;
    run.answer(power(" 270.0"));
    run.after(3000);
    run.answer(power(" 280.0"));
    TrendWindow window(run.readings, run.platform, nullptr);
    window.show();
    QTemporaryDir folder;
    const QString path = folder.filePath(name);

    QCOMPARE(window.exportTo(path), QString());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.startsWith(start), bytes.left(16).toHex().constData());
    if (name.endsWith(QLatin1String(".svg"))) {
        QVERIFY(bytes.contains("<svg"));
        QVERIFY(bytes.contains("highest")); // the statistics are part of the picture
    } else {
        QCOMPARE(QImage::fromData(bytes).size(), window.TrendCharts->size());
    }
}

void TestTrend::failedExportIsReported() {
    Run run;
    TrendWindow window(run.readings, run.platform, nullptr);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("missing/trend.png"));
    QVERIFY(!window.exportTo(path).isEmpty());
    QVERIFY(!QFile::exists(path));
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TestTrend test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_trend.moc"
