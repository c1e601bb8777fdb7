// Port numbering: devices the user gives keep their numbers and hide no other device; the
// session's table numbers the rest in port order, keeps numbers through unplugging, and reads
// the system's list seldom.
#include "link/PortNames.h"
#include "link/PortTable.h"

#include <QTest>

Q_DECLARE_METATYPE(PortDevices)

namespace {

// A system list the test plugs devices into, and a clock it moves.
struct Session {
    explicit Session(QStringList plugged = {}, PortDevices given = {})
        : plugged(std::move(plugged)),
          table([this] { return this->plugged; }, [this] { return nowMs; }, std::move(given)) {}

    QStringList numbers(int upTo) {
        QStringList devices;
        for (int number = 1; number <= upTo; ++number)
            devices << table.device(number);
        return devices;
    }

    QStringList plugged;
    int64_t nowMs = 0;
    PortTable table;
};

} // namespace

class PortTableTest : public QObject {
    Q_OBJECT
private slots:
    void numbering_data();
    void numbering();
    void listIsReadOnlyForNumbersWithoutDevice();
    void numbersStayThroughPlugAndUnplug();
    void givenDevicesStayOutOfLaterReads();
    void missingDeviceReadsTheList();
    void givenDevicesMerge_data();
    void givenDevicesMerge();
    void environmentIsReadOnce();
    void portOrder();
};

void PortTableTest::numbering_data() {
    QTest::addColumn<QStringList>("plugged");
    QTest::addColumn<PortDevices>("given");
    QTest::addColumn<QStringList>("numbers"); // ports 1, 2, ...

    QTest::newRow("the list in port order")
        << QStringList{"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyS2", "/dev/ttyACM0"} << PortDevices{}
        << QStringList{"/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0", ""};
    QTest::newRow("a listed device given as port 2 is port 2 only")
        << QStringList{"/dev/ttyS0"} << PortDevices{{2, "/dev/ttyS0"}} << QStringList{"", "/dev/ttyS0", ""};
    QTest::newRow("a device given as port 1 leaves the listed one a number")
        << QStringList{"/dev/ttyS0"} << PortDevices{{1, "/dev/ttyS1"}}
        << QStringList{"/dev/ttyS1", "/dev/ttyS0", ""};
    QTest::newRow("listed devices fill the numbers between given ones")
        << QStringList{"/dev/ttyUSB1", "/dev/ttyUSB0", "/dev/ttyUSB2"}
        << PortDevices{{1, "/tmp/meter"}, {3, "/dev/pts/4"}}
        << QStringList{"/tmp/meter", "/dev/ttyUSB0", "/dev/pts/4", "/dev/ttyUSB1", "/dev/ttyUSB2", ""};
    QTest::newRow("a given device that is listed under another number")
        << QStringList{"/dev/ttyS0", "/dev/ttyS1"} << PortDevices{{1, "/dev/ttyS1"}}
        << QStringList{"/dev/ttyS1", "/dev/ttyS0", ""};
    QTest::newRow("a port given no device has none")
        << QStringList{"/dev/ttyS0"} << PortDevices{{1, ""}} << QStringList{"", "/dev/ttyS0", ""};
    QTest::newRow("no list, high ports given")
        << QStringList{} << PortDevices{{16, "/tmp/m"}}
        << QStringList{"", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "/tmp/m", ""};
}

void PortTableTest::numbering() {
    QFETCH(QStringList, plugged);
    QFETCH(PortDevices, given);
    QFETCH(QStringList, numbers);
    Session session(plugged, given);
    QCOMPARE(session.numbers(int(numbers.size())), numbers);
    QCOMPARE(session.table.device(0), QString());
    QCOMPARE(session.table.device(-3), QString());
}

void PortTableTest::listIsReadOnlyForNumbersWithoutDevice() {
    Session session({"/dev/ttyS0", "/dev/ttyUSB0"}, {{5, "/tmp/meter"}});
    QCOMPARE(session.table.device(5), QStringLiteral("/tmp/meter"));
    QCOMPARE(session.table.listReads(), 0);
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
        QCOMPARE(session.table.device(number), number == 5 ? QStringLiteral("/tmp/meter") : QString());
    QCOMPARE(session.table.listReads(), 2);
    session.nowMs += PortTable::ListReadIntervalMs - 1;
    QCOMPARE(session.table.device(3), QString());
    QCOMPARE(session.table.listReads(), 2);
    session.nowMs += 1;
    QCOMPARE(session.table.device(3), QString());
    QCOMPARE(session.table.listReads(), 3);
}

void PortTableTest::numbersStayThroughPlugAndUnplug() {
    Session session({"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2"});
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

void PortTableTest::givenDevicesStayOutOfLaterReads() {
    Session session({"/dev/ttyS0"}, {{2, "/dev/ttyUSB0"}});
    QCOMPARE(session.numbers(3), (QStringList{"/dev/ttyS0", "/dev/ttyUSB0", ""}));
    // The given adapter is plugged in, and another one beside it: the given one keeps port 2
    // alone, the newcomer takes the lowest free number.
    session.nowMs += 1000;
    session.plugged = {"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB1"};
    QCOMPARE(session.numbers(4), (QStringList{"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB1", ""}));
}

void PortTableTest::missingDeviceReadsTheList() {
    Session session({"/dev/ttyUSB0"});
    QCOMPARE(session.table.device(1), QStringLiteral("/dev/ttyUSB0"));
    session.plugged = {"/dev/ttyUSB1"};
    session.nowMs += 1000;
    session.table.deviceMissing();
    QCOMPARE(session.table.listReads(), 2);
    QCOMPARE(session.table.device(1), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(session.table.device(2), QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(session.table.listReads(), 2);
}

void PortTableTest::givenDevicesMerge_data() {
    QTest::addColumn<PortDevices>("commandLine");
    QTest::addColumn<PortDevices>("environment");
    QTest::addColumn<PortDevices>("given");

    QTest::newRow("both, apart") << PortDevices{{1, "/tmp/a"}} << PortDevices{{2, "/tmp/b"}}
                                 << PortDevices{{1, "/tmp/a"}, {2, "/tmp/b"}};
    QTest::newRow("the command line wins a number")
        << PortDevices{{4, "/tmp/cli"}} << PortDevices{{4, "/tmp/env"}, {5, "/tmp/env5"}}
        << PortDevices{{4, "/tmp/cli"}, {5, "/tmp/env5"}};
    // Pointing the ports one does not want at one path that leads nowhere is common.
    QTest::newRow("one path for several ports")
        << PortDevices{{1, "/tmp/meter"}} << PortDevices{{2, "/nonexistent"}, {3, "/nonexistent"}}
        << PortDevices{{1, "/tmp/meter"}, {2, "/nonexistent"}, {3, "/nonexistent"}};
}

void PortTableTest::givenDevicesMerge() {
    QFETCH(PortDevices, commandLine);
    QFETCH(PortDevices, environment);
    QFETCH(PortDevices, given);
    QCOMPARE(givenPortDevices(commandLine, environment), given);
}

void PortTableTest::environmentIsReadOnce() {
#ifdef Q_OS_WIN
    QSKIP("Windows names its ports itself");
#endif
    qputenv("POWERCLAMP_COM7", "/dev/pts/77");
    qputenv("POWERCLAMP_COM16", "/tmp/sixteen");
    qputenv("POWERCLAMP_COM17", "/tmp/seventeen");
    qputenv("POWERCLAMP_COM3", "");
    const PortDevices environment = portDevicesFromEnvironment();
    QCOMPARE(environment, (PortDevices{{3, ""}, {7, "/dev/pts/77"}, {16, "/tmp/sixteen"}}));

    const std::unique_ptr<PortNumbering> numbering = portNumberingForThisRun({{7, "/tmp/from-command-line"}});
    // The numbering keeps what it found at start-up: a later change of the environment is no hand-off.
    qputenv("POWERCLAMP_COM16", "/tmp/changed");
    QCOMPARE(numbering->device(7), QStringLiteral("/tmp/from-command-line"));
    QCOMPARE(numbering->device(16), QStringLiteral("/tmp/sixteen"));
    QCOMPARE(numbering->device(3), QString());
    for (const char *variable :
         {"POWERCLAMP_COM3", "POWERCLAMP_COM7", "POWERCLAMP_COM16", "POWERCLAMP_COM17"})
        qunsetenv(variable);
}

void PortTableTest::portOrder() {
    QCOMPARE(inPortOrder({"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyS2", "/dev/ttyACM0", "/dev/ttyS0"}),
             (QStringList{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0"}));
}

QTEST_APPLESS_MAIN(PortTableTest)
#include "tst_link_porttable.moc"
