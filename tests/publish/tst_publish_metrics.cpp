// The metrics text: every family with HELP and TYPE, the meter label, counters and the link,
// readings only for items shown in the last minute and not overloaded, label escaping.
#include "publish/MeterMetrics.h"

#include <QTest>

namespace {

const QDateTime AnswerTime(QDate(2026, 12, 10), QTime(14, 3, 7, 250), Qt::OffsetFromUTC, 3600);
const qint64 AnswerMsecs = AnswerTime.toMSecsSinceEpoch();

QStringList readingLines(const QByteArray &text) {
    QStringList lines;
    for (const QString &line : QString::fromUtf8(text).split(u'\n'))
        if (line.startsWith(QLatin1String("powerclamp_reading{")))
            lines << line;
    return lines;
}

} // namespace

class TestPublishMetrics : public QObject {
    Q_OBJECT
private slots:
    void wholeTextAfterAFewEvents();
    void beforeAnyAnswer();
    void readingsOfTheLastMinute_data();
    void readingsOfTheLastMinute();
    void labelsEscaped();
};

void TestPublishMetrics::wholeTextAfterAFewEvents() {
    MeterMetrics metrics(QStringLiteral("bench"));
    metrics.takeLinkConnected();
    metrics.takeAnswer(AnswerTime.addMSecs(-1500), publishedReadings({{"U1", " 229.0", "V"}}));
    metrics.takeTimeout();
    metrics.takeAnswer(AnswerTime, publishedReadings({{"U1", " 230.1", "V"},
                                                      {"I1", "   512", "mA"},
                                                      {"PF1", "0.98", " "},
                                                      {"TIME", "12:34", "mins"}}));
    const QByteArray expected =
        "# HELP powerclamp_reading Latest value of each item the meter showed in the last minute, in its "
        "base unit.\n"
        "# TYPE powerclamp_reading gauge\n"
        "powerclamp_reading{meter=\"bench\",item=\"U1\",unit=\"V\"} 230.1\n"
        "powerclamp_reading{meter=\"bench\",item=\"I1\",unit=\"A\"} 0.512\n"
        "powerclamp_reading{meter=\"bench\",item=\"PF1\",unit=\"\"} 0.98\n"
        "# HELP powerclamp_link_up 1 while the meter answers, 0 otherwise.\n"
        "# TYPE powerclamp_link_up gauge\n"
        "powerclamp_link_up{meter=\"bench\"} 1\n"
        "# HELP powerclamp_answers_total Realtime answers received since start.\n"
        "# TYPE powerclamp_answers_total counter\n"
        "powerclamp_answers_total{meter=\"bench\"} 2\n"
        "# HELP powerclamp_timeouts_total Requests the meter did not answer in time, since start.\n"
        "# TYPE powerclamp_timeouts_total counter\n"
        "powerclamp_timeouts_total{meter=\"bench\"} 1\n"
        "# HELP powerclamp_last_answer_timestamp_seconds Unix time of the latest answer.\n"
        "# TYPE powerclamp_last_answer_timestamp_seconds gauge\n"
        "powerclamp_last_answer_timestamp_seconds{meter=\"bench\"} 1796907787.250\n";
    QCOMPARE(metrics.render(AnswerMsecs + 1000), expected);

    metrics.takeLinkLost();
    QVERIFY(metrics.render(AnswerMsecs + 1000).contains("powerclamp_link_up{meter=\"bench\"} 0\n"));
}

void TestPublishMetrics::beforeAnyAnswer() {
    const QString text = QString::fromUtf8(MeterMetrics(QStringLiteral("m")).render(AnswerMsecs));
    for (const char *family : {"powerclamp_reading", "powerclamp_link_up", "powerclamp_answers_total",
                               "powerclamp_timeouts_total", "powerclamp_last_answer_timestamp_seconds"}) {
        QVERIFY2(text.contains(QStringLiteral("# HELP %1 ").arg(QLatin1String(family))), family);
        QVERIFY2(text.contains(QStringLiteral("# TYPE %1 ").arg(QLatin1String(family))), family);
    }
    QVERIFY(text.contains(QLatin1String("powerclamp_link_up{meter=\"m\"} 0\n")));
    QVERIFY(text.contains(QLatin1String("powerclamp_answers_total{meter=\"m\"} 0\n")));
    // No answer, no time of one: absent rather than a made-up 0 (1970).
    QVERIFY(!text.contains(QLatin1String("powerclamp_last_answer_timestamp_seconds{")));
    QVERIFY(readingLines(text.toUtf8()).isEmpty());
}

void TestPublishMetrics::readingsOfTheLastMinute_data() {
    QTest::addColumn<qint64>("scrapeAfterMs"); // after the second answer
    QTest::addColumn<QStringList>("lines");
    const QString u1 = QStringLiteral("powerclamp_reading{meter=\"m\",item=\"U1\",unit=\"V\"} 231.0");
    const QString p1 = QStringLiteral("powerclamp_reading{meter=\"m\",item=\"P1\",unit=\"W\"} 450");
    // P1 was shown 40 s before the second answer, which shows U1 and an overloaded I1.
    QTest::newRow("right after") << qint64(0) << QStringList{u1, p1};
    QTest::newRow("P1 at exactly a minute") << qint64(20000) << QStringList{u1, p1};
    QTest::newRow("P1 past a minute") << qint64(20001) << QStringList{u1};
    QTest::newRow("everything past a minute") << qint64(60001) << QStringList{};
}

void TestPublishMetrics::readingsOfTheLastMinute() {
    QFETCH(qint64, scrapeAfterMs);
    QFETCH(QStringList, lines);
    MeterMetrics metrics(QStringLiteral("m"));
    metrics.takeAnswer(
        AnswerTime.addSecs(-40),
        publishedReadings({{"U1", " 230.0", "V"}, {"P1", "  0.45", "KW"}, {"I1", " 1.000", "A"}}));
    metrics.takeAnswer(AnswerTime, publishedReadings({{"U1", " 231.0", "V"}, {"I1", " 999.9", "OL."}}));
    QCOMPARE(readingLines(metrics.render(AnswerMsecs + scrapeAfterMs)), lines);
}

void TestPublishMetrics::labelsEscaped() {
    MeterMetrics metrics(QStringLiteral("m"));
    metrics.takeAnswer(AnswerTime, publishedReadings({{"a\"b\\c\nd", "1", "\u00B0"}}));
    QCOMPARE(readingLines(metrics.render(AnswerMsecs)),
             QStringList{QStringLiteral(
                 "powerclamp_reading{meter=\"m\",item=\"a\\\"b\\\\c\\nd\",unit=\"\u00B0\"} 1")});
}

QTEST_GUILESS_MAIN(TestPublishMetrics)
#include "tst_publish_metrics.moc"
