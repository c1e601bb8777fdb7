// Polling, the Read command's wait for a free link, and the response time-out.
#include "LinkFixture.h"

#include "app/TabStrip.h"
#include "link/TimerControl.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

namespace {

std::vector<int64_t> requestTimes(const ScriptedMeter &meter, int type) {
    std::vector<int64_t> times;
    for (const ScriptedMeter::Heard &request : meter.heard)
        if (request.request[4] == char(type))
            times.push_back(request.atMs);
    return times;
}

bool timedOutAt(LinkFixture &link, int64_t moment) {
    link.platform.clock.advance(moment - 1 - link.platform.clock.now());
    const bool before = link.form.engine.state.LinkStatus == LinkTimedOut;
    link.platform.clock.advance(1);
    return !before && link.form.engine.state.LinkStatus == LinkTimedOut;
}

bool commandsFrozen(Form1 &form) {
    return !form.Button_read->isEnabled() && !form.Button_save->isEnabled() &&
           !form.Button_clear->isEnabled() && !form.Button_print->isEnabled() &&
           !form.Button_help->isEnabled() && !form.menuread->isEnabled() && !form.menusave->isEnabled() &&
           !form.menuclear->isEnabled() && !form.menuprint->isEnabled() &&
           !form.menuhelp->menuAction()->isEnabled() && !form.TabStrip1->isEnabled() &&
           form.Button_close->isEnabled() && form.menuclose->isEnabled();
}

} // namespace

class Polling : public QObject {
    Q_OBJECT
private slots:
    void silentMeterInRealtimeView();
    void readDoesNothing_data();
    void readDoesNothing();
    void readRightAfterPoll();
    void timeoutWhileReadWaits();
    void timeoutBeforeFound_data();
    void timeoutBeforeFound();
    void pollsBeforeFoundSendNothing_data();
    void pollsBeforeFoundSendNothing();
    void unpluggedAdapterComesBack();
};

void Polling::silentMeterInRealtimeView() {
    LinkFixture link(4);
    QVERIFY(link.findMeter());
    link.meter.fault = ScriptedMeter::Fault::Silent;
    QVERIFY(link.advanceToNextRequest());
    const int64_t first = link.platform.clock.now();
    Form1 &form = link.form;

    // The request 1500 ms later finds the time-out running and does not postpone it.
    QVERIFY(timedOutAt(link, first + 2500));
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Unconnected"));
    QVERIFY(!form.Button_read->isEnabled() && !form.menuread->isEnabled());
    QVERIFY(!form.Button_clear->isEnabled() && !form.menuclear->isEnabled());
    QVERIFY(form.Button_save->isEnabled() && form.Button_print->isEnabled() && form.Button_help->isEnabled());
    QVERIFY(form.TabStrip1->isEnabled());
    // The next time-out counts from the first request after this one: the one at 3000 ms.
    QVERIFY(timedOutAt(link, first + 3000 + 2500));

    link.platform.clock.advance(first + 6000 - link.platform.clock.now());
    const std::vector<int64_t> polls = requestTimes(link.meter, 6);
    QCOMPARE(std::vector<int64_t>(polls.end() - 5, polls.end()),
             std::vector<int64_t>({first, first + 1500, first + 3000, first + 4500, first + 6000}));
    QVERIFY(form.engine.state.MeterFound);
    QCOMPARE(int(form.engine.state.ComNum), 4);
    QCOMPARE(link.requestPorts().back(), 4);
}

void Polling::readDoesNothing_data() {
    QTest::addColumn<bool>("meterFound");
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("throughMenu");

    QTest::newRow("Realtime view") << true << 1 << false;
    QTest::newRow("Realtime view, File Read") << true << 1 << true;
    QTest::newRow("before discovery") << false << 2 << false;
    QTest::newRow("before discovery, File Read") << false << 2 << true;
}

void Polling::readDoesNothing() {
    QFETCH(bool, meterFound);
    QFETCH(int, tab);
    QFETCH(bool, throughMenu);
    LinkFixture link(1);
    if (meterFound)
        QVERIFY(link.findMeter());
    link.clickTab(tab);
    link.form.menuread->setEnabled(true);

    if (throughMenu)
        link.form.menuread->trigger();
    else
        link.form.Button_read_Click();
    QVERIFY(!link.form.engine.Timer_read->Enabled());
    QVERIFY(link.form.engine.Timer_real->Enabled());
    QVERIFY(link.form.TabStrip1->isEnabled());
    QVERIFY(link.form.Button_save->isEnabled());
}

void Polling::readRightAfterPoll() {
    LinkFixture link(1);
    QVERIFY(link.findMeter());
    link.clickTab(2);
    link.meter.answerDelayMs = 50;
    QVERIFY(link.advanceToNextRequest());
    const int64_t polledAt = link.platform.clock.now();
    QCOMPARE(int(link.meter.heard.back().request[4]), 5);

    link.form.Button_read_Click();
    QVERIFY(commandsFrozen(link.form));
    QVERIFY(!link.form.engine.Timer_real->Enabled());
    QVERIFY(link.form.engine.Timer_read->Enabled());

    // Ticks at +30 wait for the poll's answer (at +50); the tick at +60 asks for the count.
    QVERIFY(link.advanceToNextRequest());
    QCOMPARE(int(link.meter.heard.back().request[4]), 2);
    QCOMPARE(link.platform.clock.now(), polledAt + 60);
    QVERIFY(!link.form.engine.Timer_read->Enabled());
}

void Polling::timeoutWhileReadWaits() {
    LinkFixture link(1);
    QVERIFY(link.findMeter());
    link.clickTab(2);
    link.meter.fault = ScriptedMeter::Fault::Silent;
    QVERIFY(link.advanceToNextRequest());
    const int64_t polledAt = link.platform.clock.now();
    link.form.Button_read_Click();

    QVERIFY(timedOutAt(link, polledAt + 2500));
    Form1 &form = link.form;
    QVERIFY(form.Button_read->isEnabled() && form.menuread->isEnabled());
    QVERIFY(form.Button_clear->isEnabled() && form.menuclear->isEnabled());
    QVERIFY(form.TabStrip1->isEnabled());
    QVERIFY(form.engine.Timer_real->Enabled());
    // The download that waited to start ends with the time-out: polling alone goes on.
    QVERIFY(!form.engine.Timer_read->Enabled());
    QVERIFY(link.advanceToNextRequest());
    QCOMPARE(int(link.meter.heard.back().request[4]), 5);
    link.platform.clock.advance(3000);
    for (const ScriptedMeter::Heard &request : link.meter.heard)
        QVERIFY(request.request[4] != char(2));
}

void Polling::timeoutBeforeFound_data() {
    QTest::addColumn<int>("tab"); // 0: no click, the Realtime view of start-up
    QTest::addColumn<bool>("clearEnabled");

    QTest::newRow("start-up, Realtime view") << 0 << false;
    QTest::newRow("Record view") << 2 << true;
}

void Polling::timeoutBeforeFound() {
    QFETCH(int, tab);
    QFETCH(bool, clearEnabled);
    LinkFixture link(1);
    link.serial.openOutcome.clear();
    link.platform.clock.advance(100);
    Form1 &form = link.form;
    if (tab != 0)
        link.clickTab(tab);
    else // the time-out is what brings the menu entry in line with its button
        QVERIFY(form.menuclear->isEnabled() && !form.Button_clear->isEnabled());

    QVERIFY(timedOutAt(link, 2500));
    QVERIFY(!form.Button_read->isEnabled() && !form.menuread->isEnabled());
    QCOMPARE(form.Button_clear->isEnabled(), clearEnabled);
    QCOMPARE(form.menuclear->isEnabled(), clearEnabled);
    QVERIFY(form.engine.Timer_real->Enabled());
    QVERIFY(form.engine.Timer_findcom->Enabled());
}

void Polling::pollsBeforeFoundSendNothing_data() {
    QTest::addColumn<int>("tab"); // 0: no click, the start-up time-out starts polling

    QTest::newRow("Realtime tab clicked") << 1;
    QTest::newRow("Record tab clicked") << 2;
    QTest::newRow("start-up time-out") << 0;
}

void Polling::pollsBeforeFoundSendNothing() {
    QFETCH(int, tab);
    // Every port opens and nothing answers, so any poll would be heard.
    LinkFixture link(1);
    link.meter.fault = ScriptedMeter::Fault::Silent;
    for (int port = 2; port <= 16; ++port)
        link.serial.openOutcome[port] = CommNoError;
    if (tab != 0)
        link.clickTab(tab);

    link.platform.clock.advance(2500);
    QVERIFY(link.form.engine.Timer_real->Enabled());
    link.platform.clock.advance(9000 - 2500);
    QVERIFY(!link.form.engine.state.MeterFound);
    // Only the probes of discovery went out: one link check per 600 ms tick.
    const QStringList sent = link.serial.log.filter(QStringLiteral("output "));
    QCOMPARE(sent.size(), 9000 / 600);
    for (const QString &request : sent)
        QCOMPARE(request, QStringLiteral("output A1 00 01 06 05 55 AA FD"));
}

void Polling::unpluggedAdapterComesBack() {
    LinkFixture link(2);
    QVERIFY(link.findMeter());
    link.serial.unplug();
    link.serial.openOutcome[2] = CommInvalidPort;

    link.platform.clock.advance(1500 + 2500);
    Form1 &form = link.form;
    QCOMPARE(form.engine.state.LinkStatus, uint8_t(LinkTimedOut));
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Unconnected"));
    QCOMPARE(form.LabComsta->text(), QStringLiteral("COM2Unviable"));
    QVERIFY(form.engine.Timer_real->Enabled());

    link.serial.openOutcome[2] = CommNoError;
    QVERIFY(link.advanceToNextRequest());
    link.platform.clock.advance(10);
    QCOMPARE(form.engine.state.LinkStatus, uint8_t(LinkVerified));
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
    QCOMPARE(form.LabComsta->text(), QStringLiteral("COM2 Open"));
    QVERIFY(!form.engine.Timer_timeout->Enabled());
}

QTEST_MAIN(Polling)
#include "tst_link_polling.moc"
