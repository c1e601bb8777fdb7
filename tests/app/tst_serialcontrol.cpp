// The serial control on a real pseudo-terminal: open outcomes, the receive threshold, requests
// that arrive intact, and a device that goes away.
#include "link/PortNames.h"
#include "link/QtSerialControl.h"
#include "support/PseudoTerminal.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Port numbers the tests use; each is pointed at a pty or at nothing, never at a real device.
constexpr int TestPort = 7;
constexpr int OtherPort = 8;

struct OpenPort {
    PseudoTerminal device;
    PortNumbering numbering{
        {{TestPort, device.portPath()}, {OtherPort, QStringLiteral("/nonexistent/ttyUSB9")}},
        [] { return QStringList(); },
        [] { return int64_t(0); }};
    QtSerialControl control{numbering};

    OpenPort() { control.setCommPort(TestPort); }
};

} // namespace

class SerialControlTest : public QObject {
    Q_OBJECT
private slots:
    void openOutcomes();
    void portInUseIsRefused();
    void receiveEventWaitsForThreshold();
    void requestArrivesIntactEveryTime();
    void emptyingReceiveSideDropsStaleBytes();
    void vanishedDeviceClosesThePort();
    void bytesBeforeTheHangUpAreHandedOn_data();
    void bytesBeforeTheHangUpAreHandedOn();
};

void SerialControlTest::openOutcomes() {
    OpenPort port;
    QVERIFY(port.device.isValid());
    QCOMPARE(port.control.setPortOpen(true), CommNoError);
    QVERIFY(port.control.PortOpen());
    port.control.setPortOpen(false);
    QVERIFY(!port.control.PortOpen());

    port.control.setCommPort(OtherPort);
    QCOMPARE(port.control.setPortOpen(true), CommInvalidPort);
    QVERIFY(!port.control.PortOpen());
    QVERIFY(port.control.errorText().contains(QStringLiteral("/nonexistent/ttyUSB9")));
}

void SerialControlTest::portInUseIsRefused() {
    OpenPort port;
    QtSerialControl otherInstance(port.numbering);
    otherInstance.setCommPort(TestPort);
    QCOMPARE(port.control.setPortOpen(true), CommNoError);
    QCOMPARE(otherInstance.setPortOpen(true), CommPortAlreadyOpen);
    QVERIFY(!otherInstance.errorText().isEmpty());
    port.control.setPortOpen(false);
    QCOMPARE(otherInstance.setPortOpen(true), CommNoError);
}

void SerialControlTest::receiveEventWaitsForThreshold() {
    OpenPort port;
    QSignalSpy events(&port.control, &SerialControl::OnComm);
    QCOMPARE(port.control.setPortOpen(true), CommNoError);
    port.control.setRThreshold(8);
    port.device.write(QByteArray::fromHex("B10000060555"));
    QVERIFY(!events.wait(150));
    port.device.write(QByteArray::fromHex("AAFA"));
    QVERIFY(events.wait(1000));
    QCOMPARE(port.control.CommEvent(), int(comEvReceive));
    QCOMPARE(port.control.InBufferCount(), 8);
    QCOMPARE(port.control.Input(), QByteArray::fromHex("B10000060555AAFA"));
    QCOMPARE(port.control.InBufferCount(), 0);
}

void SerialControlTest::requestArrivesIntactEveryTime() {
    OpenPort port;
    const QByteArray request = QByteArray::fromHex("A1000106055500AAFD0A0D1113FF");
    int intact = 0;
    for (int attempt = 0; attempt < 200; ++attempt) {
        QCOMPARE(port.control.setPortOpen(true), CommNoError);
        port.control.setOutput(request);
        port.control.setInBufferCount(0);
        port.control.setOutBufferCount(0);
        port.control.setPortOpen(false);
        intact += port.device.read(int(request.size()), 1000) == request;
    }
    QCOMPARE(intact, 200);
}

void SerialControlTest::emptyingReceiveSideDropsStaleBytes() {
    OpenPort port;
    port.device.write(QByteArray::fromHex("B1B1B1")); // sent while the port was closed
    QCOMPARE(port.control.setPortOpen(true), CommNoError);
    port.control.setRThreshold(1);
    port.control.setInBufferCount(0);
    QSignalSpy events(&port.control, &SerialControl::OnComm);
    port.device.write(QByteArray::fromHex("B2"));
    QVERIFY(events.wait(1000));
    QCOMPARE(port.control.Input(), QByteArray::fromHex("B2"));
}

void SerialControlTest::vanishedDeviceClosesThePort() {
    OpenPort port;
    QCOMPARE(port.control.setPortOpen(true), CommNoError);
    port.control.setRThreshold(1);
    port.device.unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!port.control.PortOpen(), 2000);
    QVERIFY(port.control.Input().isEmpty());
    QCOMPARE(port.control.setPortOpen(true), CommInvalidPort); // the device is gone
}

void SerialControlTest::bytesBeforeTheHangUpAreHandedOn_data() {
    QTest::addColumn<int>("threshold");
    QTest::newRow("short of the threshold") << 110;
    QTest::newRow("at the threshold") << 102;
}

// An adapter pulled out after the meter's last byte: what the port had read is handed on while
// the port is still open, once, and then the port is let go.
void SerialControlTest::bytesBeforeTheHangUpAreHandedOn() {
    QFETCH(int, threshold);
    OpenPort port;
    QCOMPARE(port.control.setPortOpen(true), CommNoError);
    port.control.setRThreshold(int16_t(threshold));
    QByteArray handedOn;
    QList<bool> openAtEvents;
    QObject::connect(&port.control, &SerialControl::OnComm, [&] {
        openAtEvents << port.control.PortOpen();
        handedOn += port.control.Input();
    });
    const QByteArray answer(102, '\x5A');
    port.device.write(answer);
    // The port reads the bytes (a hang-up within microseconds of them would make the system
    // throw them away unread, which no reader can help).
    QTest::qWait(100);
    port.device.unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!port.control.PortOpen(), 2000);
    QCOMPARE(handedOn, answer);
    QCOMPARE(openAtEvents, QList<bool>({true}));
    QCOMPARE(port.control.setPortOpen(true), CommInvalidPort);
}

QTEST_MAIN(SerialControlTest)
#include "tst_serialcontrol.moc"
