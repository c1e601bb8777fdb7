// The timer rule the response time-out depends on: enabling a running timer keeps its countdown.
#include "link/QtTimerControl.h"
#include "support/VirtualClock.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

class TimersTest : public QObject {
    Q_OBJECT
private slots:
    void virtualTimerRules_data();
    void virtualTimerRules();
    void ticksFireInTimeOrder();
    void qtTimerKeepsCountdownWhenEnabledAgain();
    void qtTimerRestartsAfterDisable();
};

// Each step at a time (ms) enables or disables the 1000 ms timer; expected tick times follow.
using Steps = QList<QPair<int, bool>>;

void TimersTest::virtualTimerRules_data() {
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QList<int>>("ticks");
    QTest::newRow("runs periodically") << Steps{{0, true}} << QList<int>{1000, 2000, 3000};
    QTest::newRow("enabling again keeps the countdown")
        << Steps{{0, true}, {400, true}, {900, true}} << QList<int>{1000, 2000, 3000};
    QTest::newRow("disable and enable starts a full interval")
        << Steps{{0, true}, {400, false}, {500, true}} << QList<int>{1500, 2500};
    QTest::newRow("disabled never ticks") << Steps{{0, true}, {999, false}} << QList<int>{};
}

void TimersTest::virtualTimerRules() {
    QFETCH(Steps, steps);
    QFETCH(QList<int>, ticks);
    VirtualClock clock;
    auto timer = clock.createTimer();
    timer->setInterval(1000);
    QList<int> fired;
    connect(timer.get(), &TimerControl::Timer, [&] { fired << int(clock.now()); });
    for (const auto &[at, enable] : steps) {
        clock.advance(at - clock.now());
        timer->setEnabled(enable);
    }
    clock.advance(3200 - clock.now());
    QCOMPARE(fired, ticks);
}

void TimersTest::ticksFireInTimeOrder() {
    VirtualClock clock;
    auto slow = clock.createTimer();
    auto fast = clock.createTimer();
    slow->setInterval(1500);
    fast->setInterval(600);
    QStringList order;
    connect(slow.get(), &TimerControl::Timer, [&] { order << QStringLiteral("slow@%1").arg(clock.now()); });
    connect(fast.get(), &TimerControl::Timer, [&] { order << QStringLiteral("fast@%1").arg(clock.now()); });
    slow->setEnabled(true);
    fast->setEnabled(true);
    clock.callAfter(1300, [&] { order << QStringLiteral("call@%1").arg(clock.now()); });
    clock.advance(1900);
    QCOMPARE(order, (QStringList{"fast@600", "fast@1200", "call@1300", "slow@1500", "fast@1800"}));
}

void TimersTest::qtTimerKeepsCountdownWhenEnabledAgain() {
    QtTimerControl timer;
    timer.setInterval(1000);
    QSignalSpy ticks(&timer, &TimerControl::Timer);
    QElapsedTimer elapsed;
    elapsed.start();
    timer.setEnabled(true);
    QTest::qWait(500);
    QVERIFY(ticks.isEmpty());
    timer.setEnabled(true); // a restart would move the tick to about 1500 ms
    QVERIFY(ticks.wait(2000));
    QVERIFY2(elapsed.elapsed() < 1300, qPrintable(QString::number(elapsed.elapsed())));
}

void TimersTest::qtTimerRestartsAfterDisable() {
    QtTimerControl timer;
    timer.setInterval(300);
    QSignalSpy ticks(&timer, &TimerControl::Timer);
    timer.setEnabled(true);
    QTest::qWait(200);
    timer.setEnabled(false);
    QVERIFY(!timer.Enabled());
    QElapsedTimer elapsed;
    elapsed.start();
    timer.setEnabled(true);
    QVERIFY(ticks.wait(1000));
    QVERIFY2(elapsed.elapsed() >= 290, qPrintable(QString::number(elapsed.elapsed())));
}

QTEST_MAIN(TimersTest)
#include "tst_timers.moc"
