// SIGTERM, SIGINT and SIGHUP reach the event loop as Qt signals, and the program's default
// handling comes back when the watcher goes.
#include "cli/ProcessSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

class ProcessSignalsTest : public QObject {
    Q_OBJECT
private slots:
    void signalsArriveOnTheEventLoop();
};

void ProcessSignalsTest::signalsArriveOnTheEventLoop() {
    ProcessSignals watcher;
    QSignalSpy end(&watcher, &ProcessSignals::endRequested);
    QSignalSpy reopen(&watcher, &ProcessSignals::reopenRequested);

    std::raise(SIGHUP);
    QVERIFY(reopen.wait(2000));
    QCOMPARE(end.size(), 0);
    std::raise(SIGTERM);
    QVERIFY(end.wait(2000));
    std::raise(SIGINT);
    std::raise(SIGHUP);
    QTRY_COMPARE(end.size(), 2);
    QTRY_COMPARE(reopen.size(), 2);
}

QTEST_GUILESS_MAIN(ProcessSignalsTest)
#include "tst_cli_signals.moc"
