// The notifier against a socket playing systemd's notification socket.
#include "cli/ServiceNotifier.h"

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

class TestServiceNotifier : public QObject {
    Q_OBJECT

private slots:
    void sendsStates_data();
    void sendsStates();
    void keepsTheWatchdogAlive();
};

void TestServiceNotifier::sendsStates_data() {
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

void TestServiceNotifier::sendsStates() {
    QFETCH(std::function<void(ServiceNotifier &)>, call);
    QFETCH(QByteArray, message);
    NotifySocket socket;
    ServiceNotifier notifier;
    call(notifier);
    QCOMPARE(socket.next(2000), message);
}

// The service's watchdog interval comes in the environment; a keep-alive must arrive well within
// it, again and again, from the event loop alone: a late one would have the service killed.
void TestServiceNotifier::keepsTheWatchdogAlive() {
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

QTEST_GUILESS_MAIN(TestServiceNotifier)
#include "tst_servicenotifier.moc"
