#include "link/QtSerialControl.h"

#include "link/PortAccess.h"
#include "link/PortNames.h"

QtSerialControl::QtSerialControl(PortNumbering &ports) : ports(ports) {
    connect(&port, &QSerialPort::readyRead, this, &QtSerialControl::onReadyRead);
    connect(&port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // An unplugged adapter (a pty whose other side closed reports a read error, over and over):
        // let go of the dead handle so the next open finds the device anew.
        if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) || !port.isOpen())
            return;
        lastErrorText = port.portName() + QStringLiteral(": ") + port.errorString();
        // Bytes read before the device went, short of the threshold (an answer shorter than the
        // one awaited, or its first pieces), are handed on to be judged before the port is let go.
        const int opensBefore = opens;
        if (port.bytesAvailable() > 0) {
            commEvent = comEvReceive;
            emit OnComm();
        }
        // The receive handler may have closed the port already, or opened it anew.
        if (port.isOpen() && opens == opensBefore)
            port.close();
    });
}

static CommError commErrorOf(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
        return CommNoError;
    case QSerialPort::DeviceNotFoundError:
        return CommInvalidPort;
    case QSerialPort::PermissionError: // in use by another program, or not ours to open
        return CommPortAlreadyOpen;
    default:
        return CommOtherError;
    }
}

CommError QtSerialControl::setPortOpen(bool open) {
    if (!open) {
        port.close();
        return CommNoError;
    }
    if (port.isOpen())
        return CommPortAlreadyOpen;

    const QString device = ports.device(commPort);
    if (device.isEmpty()) {
        lastErrorText = tr("No serial device is numbered COM%1").arg(commPort);
        return CommInvalidPort;
    }
    port.setPortName(device);
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (port.open(QIODevice::ReadWrite)) {
        ++opens;
        lastErrorText = device;
        return CommNoError;
    }
    const CommError error = commErrorOf(port.error());
    lastErrorText = device + QStringLiteral(": ") + port.errorString();
    if (error == CommInvalidPort)
        ports.deviceMissing(commPort);
    if (error == CommPortAlreadyOpen && refusedForPermission(device)) {
        lastErrorText += QStringLiteral(". ") + permissionAdvice(deviceAccess(device));
        return CommAccessDenied;
    }
    // An open that failed without a reason still failed: never report it as success.
    return error == CommNoError ? CommOtherError : error;
}

int QtSerialControl::InBufferCount() const {
    return port.isOpen() ? int(port.bytesAvailable()) : 0;
}

void QtSerialControl::setInBufferCount(int count) {
    if (count == 0 && port.isOpen())
        port.clear(QSerialPort::Input);
}

void QtSerialControl::setOutBufferCount(int count) {
    // Hand the queued request to the driver instead of discarding it: flushing the kernel's
    // output queue would lose a request that was just written.
    if (count == 0 && port.isOpen())
        port.flush();
}

QByteArray QtSerialControl::Input() {
    return port.isOpen() ? port.readAll() : QByteArray();
}

void QtSerialControl::setOutput(const QByteArray &bytes) {
    if (port.isOpen())
        port.write(bytes);
}

void QtSerialControl::onReadyRead() {
    if (port.bytesAvailable() < qMax<qint64>(1, threshold))
        return;
    commEvent = comEvReceive;
    emit OnComm();
}
