// The whole program against the simulated meter on real line timing: a 9600-baud UART that
// hands each byte over as it lands, and a USB serial adapter that hands the bytes over in one
// packet per 16 ms window. Each test runs on both lines.
#include "app/Form1.h"
#include "app/TabStrip.h"
#include "link/TimerControl.h"
#include "measure/GridControl.h"

#include "SimulatedMeter.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

constexpr int MeterPort = 3;

// Both lines, as a data column of every test.
void addLines(const std::function<void(const char *line, const QStringList &options)> &addRows) {
    addRows("UART", {QStringLiteral("--pace")});
    addRows("USB", {QStringLiteral("--usb-latency"), QStringLiteral("16")});
}

QStringList answerWith(const char *selector, const QByteArray &bytes) {
    return {QStringLiteral("--answer-with=%1=%2")
                .arg(QLatin1String(selector), QString::fromLatin1(bytes.toHex()))};
}

void clickTab(Form1 &form, int tab) {
    form.TabStrip1->setSelectedIndex(tab);
    form.TabStrip1_Click();
}

// The window is the user's again: nothing frozen, polling on, no download left over.
void verifyWindowFree(Form1 &form) {
    QVERIFY(form.TabStrip1->isEnabled());
    QVERIFY(form.Button_read->isEnabled() && form.menuread->isEnabled());
    QVERIFY(form.Button_save->isEnabled() && form.menusave->isEnabled());
    QVERIFY(form.Button_clear->isEnabled() && form.menuclear->isEnabled());
    QVERIFY(form.Button_print->isEnabled() && form.menuprint->isEnabled());
    QVERIFY(form.Button_help->isEnabled() && form.menuhelp->menuAction()->isEnabled());
    QVERIFY(form.Progress_read->isHidden());
    QVERIFY(form.engine.Timer_real->Enabled());
    QVERIFY(!form.engine.Timer_read->Enabled());
}

// The grid rows of stored record n as the simulator's record rules make them (the meter's
// documentation, not its code): TIME of n minutes, then U, I and PF of phase (n-1) mod 3 + 1,
// the PF block empty when n is a multiple of 5.
QStringList expectedNameRow(int n) {
    const int phase = (n - 1) % 3 + 1;
    return {QStringLiteral("NO.%1").arg(n), QStringLiteral("TIME"), QStringLiteral("U%1").arg(phase),
            phase == 1 ? QStringLiteral("I") : QStringLiteral("I%1").arg(phase),
            n % 5 == 0 ? QString() : QStringLiteral("PF%1").arg(phase)};
}

QStringList expectedValueRow(int n) {
    const int index = n - 1;
    const QString time =
        n < 60 ? QString::asprintf("%02d:00mins", n) : QString::asprintf("%02d:%02dhmin", n / 60, n % 60);
    return {QString(), time, QString::asprintf("%d.%dV", 220 + index % 200 / 10, index % 10),
            QString::asprintf("1.%03dA", index % 1000),
            n % 5 == 0 ? QString() : QString::asprintf("0.%03d ", 800 + index % 200)};
}

QStringList gridRow(Form1 &form, int row) {
    QStringList cells;
    for (int col = 0; col < 5; ++col)
        cells << form.DataGrid->TextMatrix(row, col);
    return cells;
}

} // namespace

class LineEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void connectsAndShowsReadings_data();
    void connectsAndShowsReadings();
    void downloads200Records_data();
    void downloads200Records();
    void wrongFrameToDownloadRequest_data();
    void wrongFrameToDownloadRequest();
    void unaskedCountInRealtimeView_data();
    void unaskedCountInRealtimeView();
    void readBeforeDiscoveryEnds_data();
    void readBeforeDiscoveryEnds();

private:
    QString meterLink() const { return links.filePath(QStringLiteral("meter")); }
    QTemporaryDir links;
    PortDevices ports;
};

void LineEndToEndTest::initTestCase() {
    QVERIFY(links.isValid());
    ports = portsForTest(MeterPort, meterLink(), links.filePath(QStringLiteral("none")));
}

void LineEndToEndTest::connectsAndShowsReadings_data() {
    QTest::addColumn<QStringList>("line");
    addLines([](const char *line, const QStringList &options) { QTest::newRow(line) << options; });
}

void LineEndToEndTest::connectsAndShowsReadings() {
    QFETCH(QStringList, line);
    SimulatedMeter meter(meterLink(), line);
    QVERIFY(meter.started);
    RealLinkPlatform platform(ports);
    Form1 form(platform);

    QTRY_VERIFY_WITH_TIMEOUT(!form.engine.Timer_findcom->Enabled(), 5000);
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
    QCOMPARE(form.engine.state.ComNum, int16_t(MeterPort));
    QTRY_VERIFY_WITH_TIMEOUT(form.Lab_value[0]->text() != QStringLiteral("0.00mA"), 4000);
    QCOMPARE(form.Lab_testpro[0]->text().trimmed(), QStringLiteral("P1:"));
    // Polling goes on: the next answer shows the next set of items.
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_testpro[0]->text().trimmed(), QStringLiteral("P2:"), 3000);
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
}

void LineEndToEndTest::downloads200Records_data() {
    QTest::addColumn<QStringList>("line");
    QTest::addColumn<bool>("longCount");
    addLines([](const char *line, const QStringList &options) {
        QTest::addRow("%s, 7-byte count", line) << options << false;
        QTest::addRow("%s, 8-byte count", line) << options << true;
    });
}

void LineEndToEndTest::downloads200Records() {
    QFETCH(QStringList, line);
    QFETCH(bool, longCount);
    QStringList options = line + QStringList{QStringLiteral("--records=200")};
    if (longCount)
        options << QStringLiteral("--long-count");
    SimulatedMeter meter(meterLink(), options);
    QVERIFY(meter.started);
    RealLinkPlatform platform(ports);
    Form1 form(platform);
    clickTab(form, 2);
    QTRY_VERIFY_WITH_TIMEOUT(form.Button_read->isEnabled(), 5000);

    form.Button_read->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Progress_read->isHidden(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(form.TabStrip1->isEnabled(), 20000);
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
    QCOMPARE(form.engine.state.RecordTotal, int16_t(200));
    QCOMPARE(form.DataGrid->Rows(), 400);
    for (int n = 1; n <= 200; ++n) {
        QCOMPARE(gridRow(form, 2 * (n - 1)), expectedNameRow(n));
        QCOMPARE(gridRow(form, 2 * (n - 1) + 1), expectedValueRow(n));
    }
    verifyWindowFree(form);
    QVERIFY(platform.messages.isEmpty());
}

void LineEndToEndTest::wrongFrameToDownloadRequest_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("rowsKept");

    const QByteArray linkCheck = QByteArray::fromHex("B15A00060555AAA6");
    const QByteArray realtime =
        QByteArray::fromHex("B15A0024 06") + QByteArray(32, ' ') + QByteArray::fromHex("78");
    addLines([&](const char *line, const QStringList &options) {
        QTest::addRow("%s, link check to the count request", line)
            << options + QStringList{QStringLiteral("--records=7")} + answerWith("2:1", linkCheck) << 0;
        QTest::addRow("%s, realtime to the last one-record block", line)
            << options + QStringList{QStringLiteral("--records=7")} + answerWith("1:3", realtime) << 6;
    });
}

// A download request answered by a valid frame of another type: the time-out breaks the
// download off and the window is free again; the next Read brings every record.
void LineEndToEndTest::wrongFrameToDownloadRequest() {
    QFETCH(QStringList, options);
    QFETCH(int, rowsKept);
    SimulatedMeter meter(meterLink(), options);
    QVERIFY(meter.started);
    RealLinkPlatform platform(ports);
    Form1 form(platform);
    clickTab(form, 2);
    QTRY_VERIFY_WITH_TIMEOUT(form.Button_read->isEnabled(), 5000);

    form.Button_read->click();
    QVERIFY(!form.TabStrip1->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_rtsta->text(), QStringLiteral("Unconnected"), 5000);
    verifyWindowFree(form);
    if (rowsKept > 0)
        QCOMPARE(form.DataGrid->TextMatrix(2 * (rowsKept - 1), 0), QStringLiteral("NO.%1").arg(rowsKept));
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_rtsta->text(), QStringLiteral("Connected"), 3000);

    form.Button_read->click();
    QTRY_VERIFY_WITH_TIMEOUT(form.TabStrip1->isEnabled(), 5000);
    QCOMPARE(form.DataGrid->Rows(), 14);
    QCOMPARE(gridRow(form, 12), expectedNameRow(7));
    QCOMPARE(gridRow(form, 13), expectedValueRow(7));
    verifyWindowFree(form);
    QVERIFY(platform.messages.isEmpty());
}

void LineEndToEndTest::unaskedCountInRealtimeView_data() {
    QTest::addColumn<QStringList>("options");
    // Count frames filled to a realtime answer's 38 bytes, given for the second realtime request.
    const QByteArray noRecords = QByteArray::fromHex("B15A000502005D") + QByteArray(31, '\0');
    const QByteArray fiveRecords = QByteArray::fromHex("B15A00060205005B") + QByteArray(30, '\0');
    addLines([&](const char *line, const QStringList &options) {
        QTest::addRow("%s, count of 0", line) << options + answerWith("6:2", noRecords);
        QTest::addRow("%s, count of 5", line) << options + answerWith("6:2", fiveRecords);
    });
}

void LineEndToEndTest::unaskedCountInRealtimeView() {
    QFETCH(QStringList, options);
    SimulatedMeter meter(meterLink(), options);
    QVERIFY(meter.started);
    RealLinkPlatform platform(ports);
    Form1 form(platform);
    QTRY_VERIFY_WITH_TIMEOUT(form.Lab_value[0]->text() != QStringLiteral("0.00mA"), 6000);
    QCOMPARE(form.Lab_testpro[0]->text().trimmed(), QStringLiteral("P1:"));

    // The second answer is the count frame; the third shows the third set of items.
    QTRY_COMPARE_WITH_TIMEOUT(form.Lab_testpro[0]->text().trimmed(), QStringLiteral("P3:"), 5000);
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(form.DataGrid->Rows(), 2);
    QCOMPARE(form.engine.state.RecordTotal, int16_t(0));
    QVERIFY(form.Progress_read->isHidden());
    QVERIFY(form.TabStrip1->isEnabled());
    QVERIFY(form.engine.Timer_real->Enabled());
}

void LineEndToEndTest::readBeforeDiscoveryEnds_data() {
    QTest::addColumn<QStringList>("line");
    addLines([](const char *line, const QStringList &options) { QTest::newRow(line) << options; });
}

// Read in the Record view between the meter's link-check answer and the tick that ends
// discovery: the count request goes to the meter's port, not the next one, and the tick that
// ends discovery while the download runs leaves it alone.
void LineEndToEndTest::readBeforeDiscoveryEnds() {
    QFETCH(QStringList, line);
    SimulatedMeter meter(meterLink(), line + QStringList{QStringLiteral("--records=30")});
    QVERIFY(meter.started);
    RealLinkPlatform platform(ports);
    Form1 form(platform);
    QTRY_VERIFY_WITH_TIMEOUT(form.engine.state.MeterFound, 5000);
    QVERIFY2(form.engine.Timer_findcom->Enabled(), "discovery ended before Read could be clicked");
    clickTab(form, 2);
    QVERIFY(form.Button_read->isEnabled());

    form.Button_read->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.engine.Timer_findcom->Enabled(), 2000);
    QVERIFY(!form.TabStrip1->isEnabled());
    QVERIFY(!form.engine.Timer_real->Enabled());
    QTRY_VERIFY_WITH_TIMEOUT(form.TabStrip1->isEnabled(), 5000);
    QCOMPARE(form.DataGrid->Rows(), 60);
    QCOMPARE(gridRow(form, 58), expectedNameRow(30));
    QCOMPARE(gridRow(form, 59), expectedValueRow(30));
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
    verifyWindowFree(form);
}

QTEST_MAIN(LineEndToEndTest)
#include "tst_e2e_line.moc"
