// The session's port table: numbers that stay with their devices, and few reads of the list.
#include "link/PortNames.h"
#include "link/PortTable.h"

#include <QTest>

namespace {

// A system list the test plugs devices into, and a clock it moves.
struct Session {
    QStringList plugged;
    int64_t nowMs = 0;
    PortTable table{[this] { return plugged; }, [this] { return nowMs; }};

    QStringList numbers(int upTo) {
        QStringList devices;
        for (int number = 1; number <= upTo; ++number)
            devices << table.device(number);
        return devices;
    }
};

} // namespace

class PortTableTest : public QObject {
    Q_OBJECT
private slots:
    void firstReadNumbersInPortOrder();
    void listIsReadOnlyForNumbersWithoutDevice();
    void numbersStayThroughPlugAndUnplug();
    void missingDeviceReadsTheList();
    void overrideWins();
};

void PortTableTest::firstReadNumbersInPortOrder() {
    Session session;
    session.plugged = {"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyS2", "/dev/ttyACM0"};
    QCOMPARE(session.numbers(5),
             (QStringList{"/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0", ""}));
    QCOMPARE(session.table.device(0), QString());
    QCOMPARE(session.table.device(-3), QString());
}

void PortTableTest::listIsReadOnlyForNumbersWithoutDevice() {
    Session session;
    session.plugged = {"/dev/ttyS0", "/dev/ttyUSB0"};
    QCOMPARE(session.table.device(2), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(session.table.listReads(), 1);
    for (int round = 0; round < 100; ++round) {
        session.nowMs += 1000;
        QCOMPARE(session.table.device(1), QStringLiteral("/dev/ttyS0"));
    }
    QCOMPARE(session.table.listReads(), 1);

    // A number without a device reads the list, at most once per discovery tick.
    session.nowMs += 1000;
    for (int number = 3; number <= 16; ++number)
        QCOMPARE(session.table.device(number), QString());
    QCOMPARE(session.table.listReads(), 2);
    session.nowMs += PortTable::ListReadIntervalMs - 1;
    QCOMPARE(session.table.device(3), QString());
    QCOMPARE(session.table.listReads(), 2);
    session.nowMs += 1;
    QCOMPARE(session.table.device(3), QString());
    QCOMPARE(session.table.listReads(), 3);
}

void PortTableTest::numbersStayThroughPlugAndUnplug() {
    Session session;
    session.plugged = {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2"};
    QCOMPARE(session.numbers(3), (QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2"}));

    // USB1 is unplugged and an adapter that sorts first comes: no number moves.
    session.nowMs += 1000;
    session.plugged = {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB2"};
    QCOMPARE(session.numbers(4),
             (QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyACM0"}));

    // USB1 returns under its name and has its number back; a newcomer takes the next one.
    session.nowMs += 1000;
    session.plugged = {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB3"};
    QCOMPARE(session.numbers(6), (QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyACM0",
                                              "/dev/ttyUSB3", ""}));
}

void PortTableTest::missingDeviceReadsTheList() {
    Session session;
    session.plugged = {"/dev/ttyUSB0"};
    QCOMPARE(session.table.device(1), QStringLiteral("/dev/ttyUSB0"));
    session.plugged = {"/dev/ttyUSB1"};
    session.nowMs += 1000;
    session.table.deviceMissing();
    QCOMPARE(session.table.listReads(), 2);
    QCOMPARE(session.table.device(1), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(session.table.device(2), QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(session.table.listReads(), 2);
}

void PortTableTest::overrideWins() {
#ifdef Q_OS_WIN
    QSKIP("Windows names its ports itself");
#endif
    qputenv("POWERCLAMP_COM7", "/dev/pts/77");
    QCOMPARE(portDeviceName(7), QStringLiteral("/dev/pts/77"));
    qunsetenv("POWERCLAMP_COM7");
}

QTEST_APPLESS_MAIN(PortTableTest)
#include "tst_link_porttable.moc"
