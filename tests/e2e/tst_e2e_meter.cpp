// The whole program against the meter simulator on a pseudo-terminal: the real serial port,
// real timers, the real event loop.
#include "app/Form1.h"
#include "app/TabStrip.h"
#include "link/TimerControl.h"
#include "measure/GridControl.h"

#include "SimulatedMeter.h"

#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <csignal>

namespace {

constexpr int MeterPort = 3;

} // namespace

class MeterEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void discoveryFindsTheMeterAndShowsReadings();
    void readDownloadsTheStoredRecords();
    void silenceGivesUnconnectedAndTheMeterComesBack();
    void unpluggedMeterIsFoundAgainOnItsPort();

private:
    QString meterLink() const { return links.filePath(QStringLiteral("meter")); }
    QTemporaryDir links;
    PortDevices ports;
};

void MeterEndToEndTest::initTestCase() {
    QVERIFY(links.isValid());
    ports = portsForTest(MeterPort, meterLink(), links.filePath(QStringLiteral("none")));
}

void MeterEndToEndTest::discoveryFindsTheMeterAndShowsReadings() {
    SimulatedMeter meter(meterLink());
    QVERIFY(meter.started);
    RealLinkPlatform platform(ports);
    Form1 form(platform);

    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_rtsta->text(), QStringLiteral("Connected"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!form.engine.Timer_findcom->Enabled(), 3000);
    QCOMPARE(form.engine.state.ComNum, int16_t(MeterPort));
    QCOMPARE(form.LabComsta->text(), QStringLiteral("COM3 Open"));
    QVERIFY(form.engine.Timer_real->Enabled());

    // The first realtime answer replaces the start captions with the meter's readings.
    QTRY_VERIFY_WITH_TIMEOUT(form.Lab_value[0]->text() != QStringLiteral("0.00mA"), 4000);
    for (QLabel *item : form.Lab_testpro) {
        QCOMPARE(item->text().size(), 6);
        QVERIFY2(item->text().contains(QLatin1Char(':')), qPrintable(item->text()));
        QVERIFY2(!item->text().startsWith(QLatin1Char('?')), qPrintable(item->text()));
    }
    // Polling keeps the panel fresh: a later answer shows other readings.
    const QString first = form.Lab_value[0]->text() + form.Lab_testpro[0]->text();
    QTRY_VERIFY_WITH_TIMEOUT(form.Lab_value[0]->text() + form.Lab_testpro[0]->text() != first, 4000);
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
}

void MeterEndToEndTest::readDownloadsTheStoredRecords() {
    SimulatedMeter meter(meterLink(), {QStringLiteral("--records"), QStringLiteral("7")});
    QVERIFY(meter.started);
    RealLinkPlatform platform(ports);
    Form1 form(platform);
    form.TabStrip1->setSelectedIndex(2);
    form.TabStrip1_Click();
    QTRY_VERIFY_WITH_TIMEOUT(form.Button_read->isEnabled(), 5000);

    form.Button_read->click();
    QVERIFY(!form.TabStrip1->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(form.DataGrid->Rows(), 14, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(form.TabStrip1->isEnabled(), 3000);
    QVERIFY(form.Progress_read->isHidden());
    QVERIFY(form.engine.Timer_real->Enabled());
    QVERIFY(platform.messages.isEmpty());
    for (int number = 1; number <= 7; ++number) {
        const int nameRow = 2 * (number - 1);
        QCOMPARE(form.DataGrid->TextMatrix(nameRow, 0), QStringLiteral("NO.%1").arg(number));
        // The simulator's record N holds a TIME reading of N minutes in its first block.
        QCOMPARE(form.DataGrid->TextMatrix(nameRow, 1), QStringLiteral("TIME"));
        QCOMPARE(form.DataGrid->TextMatrix(nameRow + 1, 1),
                 QStringLiteral("%1:00mins").arg(number, 2, 10, QLatin1Char('0')));
        QCOMPARE(form.DataGrid->TextMatrix(nameRow + 1, 0), QString());
    }
}

void MeterEndToEndTest::silenceGivesUnconnectedAndTheMeterComesBack() {
    SimulatedMeter meter(meterLink());
    QVERIFY(meter.started);
    RealLinkPlatform platform(ports);
    Form1 form(platform);
    QTRY_VERIFY_WITH_TIMEOUT(form.engine.state.MeterFound && form.engine.Timer_real->Enabled(), 5000);

    meter.signal(SIGUSR1); // stop answering
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_rtsta->text(), QStringLiteral("Unconnected"), 6000);
    QVERIFY(form.engine.state.MeterFound);
    QVERIFY(form.engine.Timer_real->Enabled()); // polling goes on

    meter.signal(SIGUSR2); // answer again
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_rtsta->text(), QStringLiteral("Connected"), 4000);
    const QString shown = form.Lab_value[0]->text() + form.Lab_testpro[0]->text();
    QTRY_VERIFY_WITH_TIMEOUT(form.Lab_value[0]->text() + form.Lab_testpro[0]->text() != shown, 4000);
}

void MeterEndToEndTest::unpluggedMeterIsFoundAgainOnItsPort() {
    auto meter = std::make_unique<SimulatedMeter>(meterLink());
    QVERIFY(meter->started);
    RealLinkPlatform platform(ports);
    Form1 form(platform);
    QTRY_VERIFY_WITH_TIMEOUT(form.engine.state.MeterFound && form.engine.Timer_real->Enabled(), 5000);

    meter.reset(); // the device and its link disappear
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_rtsta->text(), QStringLiteral("Unconnected"), 6000);
    QTRY_COMPARE_WITH_TIMEOUT(form.LabComsta->text(), QStringLiteral("COM3Unviable"), 3000);
    QVERIFY(!form.LabComsta->toolTip().isEmpty());

    meter = std::make_unique<SimulatedMeter>(meterLink());
    QVERIFY(meter->started);
    QTRY_COMPARE_WITH_TIMEOUT(form.LabComsta->text(), QStringLiteral("COM3 Open"), 4000);
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_rtsta->text(), QStringLiteral("Connected"), 4000);
}

QTEST_MAIN(MeterEndToEndTest)
#include "tst_e2e_meter.moc"
