// The session's readings and the trend window: what the history keeps, how the lines are cut
// and thinned, and the window opened from the Operate menu, following the readings, exported.
#include "app/Form1.h"
#include "support/FakePlatform.h"
#include "trend/ChartLines.h"
#include "trend/ReadingHistory.h"
#include "trend/TrendWindow.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

namespace {

const QDateTime Start(QDate(2026, 12, 10), QTime(8, 0), Qt::UTC);

std::vector<ShownReading> power(const QString &watts) {
    return {{"P1", watts, "W"}, {"U1", " 230.1", "V"}};
}

// The points of one item's segments as "time offset in seconds: value".
QStringList pointsOf(const ChartLine &line) {
    QStringList segments;
    for (const std::vector<QPointF> &segment : line.segments) {
        QStringList points;
        for (const QPointF &point : segment)
            points << QStringLiteral("%1:%2")
                          .arg((qint64(point.x()) - Start.toMSecsSinceEpoch()) / 1000)
                          .arg(point.y());
        segments << points.join(u' ');
    }
    return segments;
}

void receiveAnswer(Form1 &form, const QByteArray &hex) {
    const QByteArray payload = QByteArray::fromHex(hex);
    std::copy(payload.begin(), payload.end(), form.engine.state.RxFrame.begin() + PayloadOffset);
    form.engine.RealtimeDataHandle();
}

} // namespace

class TestTrend : public QObject {
    Q_OBJECT
private slots:
    void historyItemsAndLink();
    void historyIsBounded();
    void linesBreakAndThin_data();
    void linesBreakAndThin();
    void windowIsOneAndFollowsTheReadings();
    void everySegmentIsDrawn_data();
    void everySegmentIsDrawn();
    void valueAxisFitsTheReadings_data();
    void valueAxisFitsTheReadings();
    void exportWritesPngAndSvg_data();
    void exportWritesPngAndSvg();
    void failedExportIsReported();
};

void TestTrend::historyItemsAndLink() {
    ReadingHistory history;
    QSignalSpy changes(&history, &ReadingHistory::changed);
    QVERIFY(!history.markLinkLost(Start.addSecs(-3))); // never up: nothing to lose
    QVERIFY(!history.addAnswer(Start,
                               {{"P1", "  1.20", "KW"}, {"TIME", "12:34", "mins"}, {"P1", " 999", "OL."}}));
    QVERIFY(history.markLinkLost(Start.addSecs(3)));
    QVERIFY(!history.markLinkLost(Start.addSecs(6))); // still lost: not news
    QVERIFY(history.addAnswer(Start.addSecs(9), power(" 276.1")));
    QVERIFY(!history.addAnswer(Start.addSecs(10), power(" 276.1")));

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
}

void TestTrend::historyIsBounded() {
    ReadingHistory history;
    size_t answer = 0;
    const auto pollUntil = [&](size_t answers) {
        for (; answer < answers; ++answer)
            history.addAnswer(Start.addMSecs(qint64(answer) * 1500), power(QString::number(answer)));
    };
    pollUntil(24 * 3600 * 1000 / 1500); // a day of polling is all kept
    QCOMPARE(history.answers().front().msecs, Start.toMSecsSinceEpoch());
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
    QDateTime to = Start.addMSecs(9999);
    for (const QString &event : events) {
        const QStringList parts = event.split(u' ');
        const QDateTime time = Start.addMSecs(qint64(parts[0].toDouble() * 1000));
        to = std::max(to, time);
        if (parts[1] == QLatin1String("lost"))
            history.markLinkLost(time);
        else if (parts[1] == QLatin1String("Q"))
            history.addAnswer(time, {{"Q1", " 1.0", "var"}});
        else if (parts[1] == QLatin1String("OL"))
            history.addAnswer(time, {{"P1", "   999", "OL."}});
        else
            history.addAnswer(time, {{"P1", parts[1], "W"}});
    }
    const std::vector<ChartLine> lines =
        chartLines(history, Start.toMSecsSinceEpoch(), to.toMSecsSinceEpoch(), columns);
    QCOMPARE(pointsOf(lines.at(0)), segments);
}

void TestTrend::windowIsOneAndFollowsTheReadings() {
    FakePlatform platform;
    Form1 form(platform);
    receiveAnswer(form, "04 03 20 32 33 30 2E 31  31 01 20 20 31 2E 32 30"
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

    receiveAnswer(form, "0B 07 20 32 37 36 2E 31  04 03 20 32 33 31 2E 30"
                        "20 20 20 20 20 20 20 20  20 20 20 20 20 20 20 20");
    QCOMPARE(window->findChildren<QChartView *>().size(), 3); // P1 joins
    const QList<QLineSeries *> u1 = window->findChildren<QChartView *>(QStringLiteral("TrendChart0"))
                                        .constFirst()
                                        ->chart()
                                        ->findChildren<QLineSeries *>();
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
    ReadingHistory history;
    const QDateTime now = QDateTime::currentDateTime();
    for (const int seconds : secondsAgo)
        history.addAnswer(now.addSecs(-seconds), {{"P1", QString::number(270 + seconds), "W"}});
    TrendWindow window(history, nullptr);
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
    ReadingHistory history;
    const QDateTime now = QDateTime::currentDateTime();
    for (qsizetype reading = 0; reading < watts.size(); ++reading)
        history.addAnswer(now.addSecs(3 * (reading - watts.size())), {{"P1", watts[reading], "W"}});
    TrendWindow window(history, nullptr);
    QChartView *view = window.findChild<QChartView *>(QStringLiteral("TrendChart0"));
    QVERIFY(view);
    const auto *axis = qobject_cast<QValueAxis *>(view->chart()->axes(Qt::Vertical).constFirst());
    QVERIFY(axis);
    QCOMPARE(axis->min(), lowest);
    QCOMPARE(axis->max(), highest);
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
    ReadingHistory history;
    history.addAnswer(QDateTime::currentDateTime().addSecs(-3), power(" 270.0"));
    history.addAnswer(QDateTime::currentDateTime(), power(" 280.0"));
    TrendWindow window(history, nullptr);
    window.show();
    QTemporaryDir folder;
    const QString path = folder.filePath(name);

    QCOMPARE(window.exportTo(path), QString());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.startsWith(start), bytes.left(16).toHex().constData());
    if (name.endsWith(QLatin1String(".svg")))
        QVERIFY(bytes.contains("<svg"));
    else
        QCOMPARE(QImage::fromData(bytes).size(), window.TrendCharts->size());
}

void TestTrend::failedExportIsReported() {
    ReadingHistory history;
    TrendWindow window(history, nullptr);
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
