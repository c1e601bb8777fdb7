// Operate, Alarms through the window: the dialog's table, limits refused with the reason, the
// status bar while an alarm is raised, its spell on the trend, and what the window remembers from
// one run to the next (the limits, its place, the trend's span and size).
#include "app/AlarmsDialog.h"
#include "app/Form1.h"
#include "app/Preferences.h"
#include "link/TimerControl.h"
#include "readings/RunReadings.h"
#include "support/FakePlatform.h"
#include "support/RealtimeAnswers.h"
#include "trend/TrendChartView.h"
#include "trend/TrendWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

namespace {

// U1 at the given volts, nothing else shown.
QByteArray volts(const char *sixCharacters) {
    return QByteArray("04 03 ") + QByteArray(sixCharacters).toHex(' ') +
           " 20 20 20 20 20 20 20 20  20 20 20 20 20 20 20 20  20 20 20 20 20 20 20 20";
}

// A window whose own timers stay still, so only the answers the test gives reach the readings.
void stillTimers(Form1 &form) {
    form.engine.Timer_findcom->setEnabled(false);
    form.engine.Timer_timeout->setEnabled(false);
}

AlarmsDialog *openAlarms(Form1 &form) {
    form.menualarms_Click();
    return form.findChild<AlarmsDialog *>(QStringLiteral("AlarmsDialog"));
}

int rowOf(const QTableWidget &table, const QString &item) {
    for (int row = 0; row < table.rowCount(); ++row)
        if (table.item(row, AlarmsDialog::ItemColumn)->text() == item)
            return row;
    return -1;
}

void setCell(AlarmsDialog &dialog, const QString &item, int column, const QString &text) {
    dialog.AlarmTable->item(rowOf(*dialog.AlarmTable, item), column)->setText(text);
}

} // namespace

class TestAlarmsWindow : public QObject {
    Q_OBJECT
private slots:
    void dialogSetsTheLimits();
    void wrongRowsAreRefused_data();
    void wrongRowsAreRefused();
    void raisedAlarmShowsUntilItClears();
    void rememberedAcrossRuns();
};

void TestAlarmsWindow::dialogSetsTheLimits() {
    FakePlatform platform;
    Form1 form(platform);
    QCOMPARE(form.menualarms->text(), QStringLiteral("Alarms\u2026"));
    receiveRealtimeAnswer(form.engine, volts(" 230.1")); // U1 seen in volts
    AlarmsDialog *dialog = openAlarms(form);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isModal());
    const QTableWidget &table = *dialog->AlarmTable;
    // One row per item of the meter that shows numbers: "I2" and "I3" stand at two codes, the time is none.
    QCOMPARE(table.rowCount(), 55);
    QCOMPARE(rowOf(table, QStringLiteral("TIME")), -1);
    QCOMPARE(table.item(rowOf(table, QStringLiteral("U1")), AlarmsDialog::UnitColumn)->text(),
             QStringLiteral("V"));
    QCOMPARE(table.item(rowOf(table, QStringLiteral("U1")), AlarmsDialog::HoldColumn)->text(),
             QStringLiteral("3"));
    QCOMPARE(table.item(rowOf(table, QStringLiteral("U1")), AlarmsDialog::HysteresisColumn)->text(),
             QStringLiteral("1"));

    setCell(*dialog, QStringLiteral("U1"), AlarmsDialog::LowerColumn, QStringLiteral("207"));
    setCell(*dialog, QStringLiteral("U1"), AlarmsDialog::UpperColumn, QStringLiteral("253.5"));
    setCell(*dialog, QStringLiteral("I1"), AlarmsDialog::UpperColumn, QStringLiteral("16"));
    setCell(*dialog, QStringLiteral("I1"), AlarmsDialog::HoldColumn, QStringLiteral("0.5"));
    setCell(*dialog, QStringLiteral("I1"), AlarmsDialog::HysteresisColumn, QStringLiteral("5"));
    dialog->accept();

    const std::vector<AlarmLimit> limits = form.runReadings->alarms().limits();
    QCOMPARE(limits.size(), size_t(2));
    QCOMPARE(limits[0].item, QStringLiteral("U1")); // in the order of the item codes
    QCOMPARE(limits[0].lower, std::optional<double>(207));
    QCOMPARE(limits[0].upper, std::optional<double>(253.5));
    QCOMPARE(limits[0].holdMs, qint64(3000));
    QCOMPARE(limits[0].hysteresisPercent, 1.0);
    QCOMPARE(limits[1].item, QStringLiteral("I1"));
    QVERIFY(!limits[1].lower);
    QCOMPARE(limits[1].upper, std::optional<double>(16));
    QCOMPARE(limits[1].holdMs, qint64(500));
    QCOMPARE(limits[1].hysteresisPercent, 5.0);

    // The dialog opens again on the limits set.
    dialog = openAlarms(form);
    QCOMPARE(
        dialog->AlarmTable->item(rowOf(*dialog->AlarmTable, QStringLiteral("U1")), AlarmsDialog::UpperColumn)
            ->text(),
        QStringLiteral("253.5"));
    dialog->reject();
    QCOMPARE(form.runReadings->alarms().limits().size(), size_t(2));
}

void TestAlarmsWindow::wrongRowsAreRefused_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem");
    QTest::newRow("not a number") << int(AlarmsDialog::UpperColumn) << "2x0"
                                  << "U1: a limit, the hold time and the hysteresis must be numbers.";
    QTest::newRow("lower not below upper") << int(AlarmsDialog::UpperColumn) << "200"
                                           << "U1: the lower limit 207 is not below the upper limit 200.";
    QTest::newRow("negative hold") << int(AlarmsDialog::HoldColumn) << "-1"
                                   << "U1: the hold time cannot be negative.";
    QTest::newRow("hysteresis of the whole limit")
        << int(AlarmsDialog::HysteresisColumn) << "100"
        << "U1: the hysteresis must be at least 0 and below 100 %.";
}

void TestAlarmsWindow::wrongRowsAreRefused() {
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, problem);
    FakePlatform platform;
    Form1 form(platform);
    AlarmsDialog *dialog = openAlarms(form);
    setCell(*dialog, QStringLiteral("U1"), AlarmsDialog::LowerColumn, QStringLiteral("207"));
    setCell(*dialog, QStringLiteral("U1"), column, text);
    dialog->accept();
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->AlarmProblem->text(), problem);
    QVERIFY(form.runReadings->alarms().limits().empty());
}

void TestAlarmsWindow::raisedAlarmShowsUntilItClears() {
    FakePlatform platform;
    Form1 form(platform);
    stillTimers(form);
    AlarmsDialog *dialog = openAlarms(form);
    setCell(*dialog, QStringLiteral("U1"), AlarmsDialog::UpperColumn, QStringLiteral("230"));
    dialog->accept();
    const QString since = platform.currentDateTime().toLocalTime().toString(QStringLiteral("HH:mm:ss"));

    receiveRealtimeAnswer(form.engine, volts(" 230.1"));
    platform.clock.advance(1500);
    receiveRealtimeAnswer(form.engine, volts(" 230.4"));
    QVERIFY(form.StatusBar1Alarm->isHidden()); // not yet held three seconds
    platform.clock.advance(1500);
    receiveRealtimeAnswer(form.engine, volts(" 230.2"));
    QVERIFY(!form.StatusBar1Alarm->isHidden());
    QCOMPARE(form.StatusBar1Alarm->text(), QStringLiteral("U1 above 230 V since %1, now 230.2 V").arg(since));
    platform.clock.advance(1500);
    receiveRealtimeAnswer(form.engine, volts(" 228.0")); // inside, but not by 1 % of the limit
    QCOMPARE(form.StatusBar1Alarm->text(), QStringLiteral("U1 above 230 V since %1, now 228.0 V").arg(since));

    form.menutrend_Click();
    auto *chart = form.findChild<TrendChartView *>(QStringLiteral("TrendChart0"));
    QVERIFY(chart);
    QCOMPARE(chart->spells().size(), size_t(1));

    // A second alarm is counted; the tooltip names both.
    AlarmLimit u1;
    u1.item = QStringLiteral("U1");
    u1.upper = 230;
    AlarmLimit i1;
    i1.item = QStringLiteral("I1");
    i1.upper = 1;
    i1.holdMs = 0;
    form.runReadings->setAlarmLimits({u1, i1}, platform.currentDateTime());
    platform.clock.advance(1500);
    receiveRealtimeAnswer(form.engine,
                          "04 03 20 32 32 39 2E 30  31 01 20 20 31 2E 32 30"
                          "20 20 20 20 20 20 20 20  20 20 20 20 20 20 20 20"); // U1 229.0 V, I1 1.20 A
    const QString i1Since = platform.currentDateTime().toLocalTime().toString(QStringLiteral("HH:mm:ss"));
    QCOMPARE(form.StatusBar1Alarm->text(),
             QStringLiteral("U1 above 230 V since %1, now 229.0 V (+1 more)").arg(since));
    QCOMPARE(form.StatusBar1Alarm->toolTip(),
             QStringLiteral("U1 above 230 V since %1, now 229.0 V\nI1 above 1 A since %2, now 1.20 A")
                 .arg(since, i1Since));

    platform.clock.advance(1500);
    form.runReadings->setAlarmLimits({u1}, platform.currentDateTime());
    receiveRealtimeAnswer(form.engine, volts(" 227.7"));
    QVERIFY(form.StatusBar1Alarm->isHidden());
    QCOMPARE(chart->spells().size(), size_t(1)); // the spell stays on the trend, now closed
}

void TestAlarmsWindow::rememberedAcrossRuns() {
    FakePlatform platform;
    QRect placed;
    {
        Form1 first(platform);
        AlarmsDialog *dialog = openAlarms(first);
        setCell(*dialog, QStringLiteral("P1"), AlarmsDialog::LowerColumn, QStringLiteral("-100"));
        setCell(*dialog, QStringLiteral("P1"), AlarmsDialog::HoldColumn, QStringLiteral("10"));
        dialog->accept();
        first.show();
        first.move(123, 77);
        first.menutrend_Click();
        first.trendWindow->TrendSpan->setCurrentIndex(TrendWindow::WholeSession);
        first.trendWindow->resize(640, 480);
        placed = first.geometry();
        first.hide();
        // The trend window is still shown when the program ends.
    }
    Form1 second(platform);
    const std::vector<AlarmLimit> limits = second.runReadings->alarms().limits();
    QCOMPARE(limits.size(), size_t(1));
    QCOMPARE(limits[0].item, QStringLiteral("P1"));
    QCOMPARE(limits[0].lower, std::optional<double>(-100));
    QVERIFY(!limits[0].upper);
    QCOMPARE(limits[0].holdMs, qint64(10000));
    QVERIFY(second.preferences->restorePlace(&second, QStringLiteral("window")));
    QCOMPARE(second.geometry(), placed);
    second.menutrend_Click();
    QCOMPARE(second.trendWindow->TrendSpan->currentIndex(), int(TrendWindow::WholeSession));
    QCOMPARE(second.trendWindow->size(), QSize(640, 480));

    // A fresh start remembers nothing.
    FakePlatform fresh;
    Form1 third(fresh);
    QVERIFY(third.runReadings->alarms().limits().empty());
    QVERIFY(!third.preferences->restorePlace(&third, QStringLiteral("window")));
    third.menutrend_Click();
    QCOMPARE(third.trendWindow->TrendSpan->currentIndex(), int(TrendWindow::LastFiveMinutes));
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TestAlarmsWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_alarmswindow.moc"
