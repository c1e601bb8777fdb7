// Opening ports and finding the one the meter answers on.
#include "LinkFixture.h"

#include "link/TimerControl.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QToolButton>

class Discovery : public QObject {
    Q_OBJECT
private slots:
    void comOpenCaption_data();
    void comOpenCaption();
    void comOpenReopensAnOpenPort();
    void meterFound_data();
    void meterFound();
    void firstAnsweringMeterWins_data();
    void firstAnsweringMeterWins();
    void probingGoesRound();
    void wrongLinkAnswerKeepsProbing_data();
    void wrongLinkAnswerKeepsProbing();
};

void Discovery::comOpenCaption_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("caption");

    QTest::newRow("opens") << 3 << int(CommNoError) << "COM3 Open";
    QTest::newRow("no such port") << 5 << int(CommInvalidPort) << "COM5Unviable";
    QTest::newRow("in use") << 7 << int(CommPortAlreadyOpen) << "COM7Unviable";
    QTest::newRow("other failure") << 12 << int(CommOtherError) << "COM12 Open";
    QTest::newRow("port 16") << 16 << int(CommNoError) << "COM16 Open";
}

void Discovery::comOpenCaption() {
    QFETCH(int, port);
    QFETCH(int, outcome);
    QFETCH(QString, caption);
    LinkFixture link(1);
    link.serial.openOutcome[port] = CommError(outcome);

    link.form.engine.ComOpen(int16_t(port));
    QCOMPARE(link.form.LabComsta->text(), caption);
    QCOMPARE(link.serial.PortOpen(), outcome == CommNoError);
    QCOMPARE(link.serial.CommPort(), port);
    // The system's own reason is kept where the user can look it up.
    QCOMPARE(link.form.LabComsta->toolTip(), link.serial.errorText());
}

void Discovery::comOpenReopensAnOpenPort() {
    LinkFixture link(3);
    link.form.engine.ComOpen(3);
    link.form.engine.ComOpen(3);
    QCOMPARE(link.serial.log, QStringList({"open 3", "close", "open 3"}));
    QCOMPARE(link.form.LabComsta->text(), QStringLiteral("COM3 Open"));
}

void Discovery::meterFound_data() {
    QTest::addColumn<int>("meterPort");
    QTest::addColumn<QList<int>>("silentPorts");
    QTest::addColumn<bool>("recordView");
    QTest::addColumn<QList<int>>("requestPorts");

    QTest::newRow("port 1, Realtime view") << 1 << QList<int>{} << false << QList<int>{1};
    QTest::newRow("port 1, Record view") << 1 << QList<int>{} << true << QList<int>{1};
    // The poll that the start-up time-out's Timer_real sends between the answer and the found
    // tick goes to the port that answered.
    QTest::newRow("port 16, Realtime view") << 16 << QList<int>{} << false << QList<int>{16, 16};
    QTest::newRow("port 16 after silent ports") << 16 << QList<int>{2, 9} << true << QList<int>{2, 9, 16};
    QTest::newRow("port 5 after silent ports") << 5 << QList<int>{1, 3} << false << QList<int>{1, 3, 5};
}

void Discovery::meterFound() {
    QFETCH(int, meterPort);
    QFETCH(QList<int>, silentPorts);
    QFETCH(bool, recordView);
    QFETCH(QList<int>, requestPorts);
    LinkFixture link(meterPort);
    for (int port : silentPorts)
        link.serial.openOutcome[port] = CommNoError;
    if (recordView)
        link.clickTab(2);

    QVERIFY(link.findMeter());
    Form1 &form = link.form;
    // Probed one port per 600 ms tick; the tick after the answer ends discovery.
    QCOMPARE(link.platform.clock.now(), 600 * (meterPort + 1));
    QCOMPARE(link.requestPorts(), requestPorts);
    QCOMPARE(int(form.engine.state.ComNum), meterPort);
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
    QVERIFY(form.engine.Timer_real->Enabled());
    QCOMPARE(form.Button_read->isEnabled(), recordView);
    QVERIFY(form.menuread->isEnabled());

    // Polling goes to the port that answered, with the request of the view.
    QVERIFY(link.advanceToNextRequest());
    QCOMPARE(link.requestPorts().back(), meterPort);
    QCOMPARE(int(link.meter.heard.back().request[4]), recordView ? 5 : 6);
}

void Discovery::firstAnsweringMeterWins_data() {
    QTest::addColumn<int>("firstPort");
    QTest::addColumn<int>("firstDelayMs");
    QTest::addColumn<int>("secondPort");
    QTest::addColumn<int>("secondDelayMs");
    QTest::addColumn<int>("winner");

    QTest::newRow("both answer at once") << 3 << 5 << 5 << 5 << 3;
    QTest::newRow("neighbouring ports") << 3 << 5 << 4 << 5 << 3;
    QTest::newRow("first answers just within its tick") << 3 << 590 << 5 << 5 << 3;
    // Its answer comes after the next probe has closed its port.
    QTest::newRow("first answers after its tick") << 3 << 700 << 5 << 5 << 5;
    QTest::newRow("ports 1 and 2, first too slow") << 1 << 650 << 2 << 5 << 2;
    QTest::newRow("ports 1 and 16") << 1 << 5 << 16 << 5 << 1;
}

void Discovery::firstAnsweringMeterWins() {
    QFETCH(int, firstPort);
    QFETCH(int, firstDelayMs);
    QFETCH(int, secondPort);
    QFETCH(int, secondDelayMs);
    QFETCH(int, winner);
    LinkFixture link(firstPort);
    link.meter.answerDelayMs = firstDelayMs;
    ScriptedMeter second(link.platform, secondPort);
    second.answerDelayMs = secondDelayMs;
    link.serial.openOutcome[secondPort] = CommNoError;

    QVERIFY(link.findMeter());
    QCOMPARE(int(link.form.engine.state.ComNum), winner);
    QCOMPARE(link.platform.clock.now(), 600 * (winner + 1));
    ScriptedMeter &winning = winner == firstPort ? link.meter : second;
    ScriptedMeter &losing = winner == firstPort ? second : link.meter;
    // Each meter heard its probe; a later port is not probed once a meter has answered.
    QCOMPARE(winning.heard.size(), size_t(1));
    QCOMPARE(losing.heard.size(), size_t(winner == firstPort ? 0 : 1));

    // Polling goes to the winner alone.
    link.platform.clock.advance(1500);
    QCOMPARE(winning.heard.size(), size_t(2));
    QCOMPARE(int(winning.heard.back().request[4]), 6);
    QCOMPARE(losing.heard.size(), size_t(winner == firstPort ? 0 : 1));
}

void Discovery::probingGoesRound() {
    LinkFixture link(1);
    link.serial.openOutcome.clear();
    link.platform.clock.advance(16 * 600);
    QCOMPARE(link.form.LabComsta->text(), QStringLiteral("COM16Unviable"));
    QCOMPARE(int(link.form.engine.state.ComNum), 1);
    link.platform.clock.advance(600);
    QCOMPARE(link.form.LabComsta->text(), QStringLiteral("COM1Unviable"));
    QCOMPARE(int(link.form.engine.state.ComNum), 2);
    // No port opened, so nothing was ever sent.
    QVERIFY(link.requestPorts().isEmpty());
    QVERIFY(link.form.engine.Timer_findcom->Enabled());
}

void Discovery::wrongLinkAnswerKeepsProbing_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("linkStatus");
    QTest::addColumn<bool>("timeoutRunning");

    QByteArray badChecksum = ScriptedMeter::frame(5, QByteArray::fromHex("55AA"));
    badChecksum.back() = char(badChecksum.back() ^ 0x10);
    QTest::newRow("not 55 AA") << ScriptedMeter::frame(5, QByteArray::fromHex("55AB")) << 2 << false;
    QTest::newRow("bad checksum") << badChecksum << 3 << true;
}

void Discovery::wrongLinkAnswerKeepsProbing() {
    QFETCH(QByteArray, answer);
    QFETCH(int, linkStatus);
    QFETCH(bool, timeoutRunning);
    LinkFixture link(2);
    link.meter.scriptedAnswers.push_back(answer);

    link.platform.clock.advance(2 * 600 + 100);
    QVERIFY(!link.form.engine.state.MeterFound);
    QCOMPARE(int(link.form.engine.state.LinkStatus), linkStatus);
    QCOMPARE(link.form.engine.Timer_timeout->Enabled(), timeoutRunning);

    // The next pass finds the meter on the same port.
    link.platform.clock.advance(500);
    QVERIFY(link.findMeter());
    QCOMPARE(link.platform.clock.now(), 600 * (16 + 2 + 1));
    QCOMPARE(int(link.form.engine.state.ComNum), 2);
}

QTEST_MAIN(Discovery)
#include "tst_link_discovery.moc"
