#include "support/FakeSerialControl.h"

void FakeSerialControl::setCommPort(int16_t port) {
    commPort = port;
}

CommError FakeSerialControl::setPortOpen(bool wantOpen) {
    if (!wantOpen) {
        if (open)
            log << QStringLiteral("close");
        open = false;
        received.clear();
        queuedOutput.clear();
        return CommNoError;
    }
    if (open)
        return CommPortAlreadyOpen;
    const auto outcome = openOutcome.find(commPort);
    const CommError error = outcome == openOutcome.end() ? CommInvalidPort : outcome->second;
    lastErrorText = error == CommNoError ? QString() : QStringLiteral("fake error %1").arg(int(error));
    open = error == CommNoError;
    if (open)
        log << QStringLiteral("open %1").arg(commPort);
    return error;
}

void FakeSerialControl::setRThreshold(int16_t bytes) {
    threshold = bytes;
    log << QStringLiteral("threshold %1").arg(bytes);
}

void FakeSerialControl::setInBufferCount(int count) {
    if (count == 0)
        received.clear();
    log << QStringLiteral("clear in");
}

void FakeSerialControl::setOutBufferCount(int count) {
    log << QStringLiteral("clear out");
    if (count != 0 || queuedOutput.isEmpty())
        return;
    QByteArray request;
    request.swap(queuedOutput);
    const auto device = onOutput.find(commPort);
    if (device != onOutput.end())
        device->second(request);
}

QByteArray FakeSerialControl::Input() {
    arrive(arrivingDuringInput);
    arrivingDuringInput.clear();
    log << QStringLiteral("input %1").arg(received.size());
    QByteArray taken;
    taken.swap(received);
    return taken;
}

void FakeSerialControl::setOutput(const QByteArray &bytes) {
    if (!open)
        return;
    log << QStringLiteral("output ") + QString::fromLatin1(bytes.toHex(' ').toUpper());
    queuedOutput += bytes;
}

void FakeSerialControl::deliver(const QByteArray &bytes) {
    arrive(bytes);
    notifyReceived();
}

void FakeSerialControl::arrive(const QByteArray &bytes) {
    if (open)
        received += bytes;
}

void FakeSerialControl::notifyReceived() {
    if (!open || received.size() < qMax<int>(1, threshold))
        return;
    commEvent = comEvReceive;
    emit OnComm();
}

void FakeSerialControl::raiseEvent(int event, const QByteArray &bytes) {
    if (!open)
        return;
    received += bytes;
    commEvent = event;
    emit OnComm();
}

void FakeSerialControl::unplug() {
    open = false;
    received.clear();
    queuedOutput.clear();
}
