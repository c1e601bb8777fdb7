// Running as a service: the notifier against a socket playing systemd's notification socket, and
// what the log reports to the journal and the service manager.
#include "cli/ServiceNotifier.h"
#include "cli/ServiceReport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>

namespace {

// A datagram socket bound in a private folder, named in NOTIFY_SOCKET while it lives.
class NotifySocket {
public:
    NotifySocket() {
        const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("notify")));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
        descriptor = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (descriptor < 0 || bind(descriptor, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            qFatal("cannot bind %s", path.constData());
        qputenv("NOTIFY_SOCKET", path);
    }
    ~NotifySocket() {
        qunsetenv("NOTIFY_SOCKET");
        close(descriptor);
    }

    // The next message, with Qt's events handled while waiting; empty after the time-out.
    QByteArray next(int timeoutMilliseconds) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMilliseconds) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd readable{descriptor, POLLIN, 0};
            if (poll(&readable, 1, 5) == 1) {
                char message[512];
                const ssize_t size = recv(descriptor, message, sizeof message, 0);
                return size > 0 ? QByteArray(message, static_cast<int>(size)) : QByteArray();
            }
        }
        return {};
    }

private:
    QTemporaryDir folder;
    int descriptor = -1;
};

} // namespace

class TestService : public QObject {
    Q_OBJECT

private slots:
    void sendsStates_data();
    void sendsStates();
    void keepsTheWatchdogAlive();
    void reportsTheLinksChanges_data();
    void reportsTheLinksChanges();
    void reportsMirrorTheStatus();
};

void TestService::sendsStates_data() {
    QTest::addColumn<std::function<void(ServiceNotifier &)>>("call");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("ready") << std::function<void(ServiceNotifier &)>([](ServiceNotifier &notifier) {
        notifier.ready(QStringLiteral("Logging"));
    }) << QByteArray("READY=1\nSTATUS=Logging");
    QTest::newRow("status") << std::function<void(ServiceNotifier &)>([](ServiceNotifier &notifier) {
        notifier.status(QStringLiteral("Link lost on COM1 (/dev/ttyUSB0)"));
    }) << QByteArray("STATUS=Link lost on COM1 (/dev/ttyUSB0)");
    QTest::newRow("status with a line break stays one assignment")
        << std::function<void(ServiceNotifier &)>(
               [](ServiceNotifier &notifier) { notifier.status(QStringLiteral("/var/a\nREADY=1.csv")); })
        << QByteArray("STATUS=/var/a READY=1.csv");
    QTest::newRow("stopping") << std::function<void(ServiceNotifier &)>([](ServiceNotifier &notifier) {
        notifier.stopping();
    }) << QByteArray("STOPPING=1");
}

void TestService::sendsStates() {
    QFETCH(std::function<void(ServiceNotifier &)>, call);
    QFETCH(QByteArray, message);
    NotifySocket socket;
    ServiceNotifier notifier;
    call(notifier);
    QCOMPARE(socket.next(2000), message);
}

// The service's watchdog interval comes in the environment; a keep-alive must arrive well within
// it, again and again, from the event loop alone: a late one would have the service killed.
void TestService::keepsTheWatchdogAlive() {
    constexpr int watchdogMilliseconds = 1000;
    NotifySocket socket;
    qputenv("WATCHDOG_USEC", QByteArray::number(watchdogMilliseconds * 1000));
    qputenv("WATCHDOG_PID", QByteArray::number(getpid()));
    ServiceNotifier notifier;
    for (int ping = 0; ping < 3; ++ping)
        QCOMPARE(socket.next(watchdogMilliseconds * 3 / 4), QByteArray("WATCHDOG=1"));
    qunsetenv("WATCHDOG_USEC");
    qunsetenv("WATCHDOG_PID");
}

// Events as words: "answer N" (an answer on port N), "lost", "say TEXT".
void TestService::reportsTheLinksChanges_data() {
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("lines");

    const QString found = QStringLiteral("Connected: the meter answers on COM%1");
    const QString lost = QStringLiteral("Unconnected: the meter does not answer on COM%1");
    const QString back = QStringLiteral("Connected: the meter answers again on COM%1");
    QTest::newRow("answers are not told, only the first")
        << QStringList{"answer 3", "answer 3", "answer 3"} << QStringList{found.arg(3)};
    QTest::newRow("a loss once, however many time-outs, and the return")
        << QStringList{"answer 1", "lost", "lost", "lost", "answer 1", "answer 1"}
        << QStringList{found.arg(1), lost.arg(1), back.arg(1)};
    QTest::newRow("no loss before the meter was ever heard")
        << QStringList{"lost", "lost", "answer 2", "lost"} << QStringList{found.arg(2), lost.arg(2)};
    QTest::newRow("spell after spell")
        << QStringList{"answer 1", "lost", "answer 1", "lost", "answer 1"}
        << QStringList{found.arg(1), lost.arg(1), back.arg(1), lost.arg(1), back.arg(1)};
    QTest::newRow("the log's own words in between")
        << QStringList{"answer 1", "say Cannot write readings.csv: No space left on device", "answer 1"}
        << QStringList{found.arg(1), "Cannot write readings.csv: No space left on device"};
}

void TestService::reportsTheLinksChanges() {
    QFETCH(QStringList, events);
    QFETCH(QStringList, lines);
    ServiceNotifier notifier;
    QStringList printed;
    ServiceReport report(notifier, [&printed](const QString &line) { printed << line; });
    report.started(QStringLiteral("readings-%Y-%m-%d.csv"));
    for (const QString &event : events) {
        if (event == QLatin1String("lost"))
            report.lost();
        else if (event.startsWith(QLatin1String("answer ")))
            report.answered(event.section(QLatin1Char(' '), 1).toInt());
        else
            report.say(event.section(QLatin1Char(' '), 1));
    }
    QCOMPARE(printed, lines);
}

// The service manager's status line says what the journal last heard; readiness comes at the
// start, before any meter is found, so a start without the meter does not time out.
void TestService::reportsMirrorTheStatus() {
    NotifySocket socket;
    ServiceNotifier notifier;
    ServiceReport report(notifier, [](const QString &) {});
    report.started(QStringLiteral("/var/lib/powerclamp/readings-%Y.csv"));
    QCOMPARE(
        socket.next(2000),
        QByteArray("READY=1\nSTATUS=Logging to /var/lib/powerclamp/readings-%Y.csv; looking for the meter"));
    report.answered(1);
    QCOMPARE(socket.next(2000), QByteArray("STATUS=Connected: the meter answers on COM1"));
    report.lost();
    QCOMPARE(socket.next(2000), QByteArray("STATUS=Unconnected: the meter does not answer on COM1"));
    report.stopping();
    QCOMPARE(socket.next(2000), QByteArray("STOPPING=1"));
}

QTEST_GUILESS_MAIN(TestService)
#include "tst_service.moc"
