#pragma once

#include "link/SerialControl.h"

#include <QStringList>

#include <functional>
#include <map>

// A serial control without a device: open outcomes per port number, every operation logged,
// and received bytes delivered by the test (or by the scripted meters behind onOutput).
class FakeSerialControl final : public SerialControl {
    Q_OBJECT
public:
    int16_t CommPort() const override { return commPort; }
    void setCommPort(int16_t port) override;
    bool PortOpen() const override { return open; }
    CommError setPortOpen(bool open) override;
    QString errorText() const override { return lastErrorText; }
    void setRThreshold(int16_t bytes) override;
    int InBufferCount() const override { return int(received.size()); }
    void setInBufferCount(int count) override;
    void setOutBufferCount(int count) override;
    QByteArray Input() override;
    void setOutput(const QByteArray &bytes) override;
    int CommEvent() const override { return commEvent; }

    // Outcome of opening each port; a port not listed has no device (CommInvalidPort).
    std::map<int, CommError> openOutcome;
    // The device behind each port number, called with every request that leaves on that port.
    // As with the Qt port, Output only queues the bytes; emptying the transmit side hands them over.
    std::map<int, std::function<void(const QByteArray &request)>> onOutput;
    // Bytes that land after InBufferCount was read and before Input takes the buffer: the next
    // Input hands them over with the rest, once.
    QByteArray arrivingDuringInput;
    // "open 3", "close", "threshold 8", "output A1 00 ...", "clear in", "clear out", "input 8"
    QStringList log;
    int16_t threshold = 0;

    // Bytes arriving from the device; OnComm fires once the threshold is reached.
    void deliver(const QByteArray &bytes);
    // Bytes landing in the receive buffer with the event still to come (it comes from the
    // event loop, after the handler that sent the request has returned).
    void arrive(const QByteArray &bytes);
    // The event for what has arrived, if the threshold is reached.
    void notifyReceived();
    // Bytes arriving with an event of the given code raised at once, whatever the threshold:
    // a control that reports early, or an event that is not about received data.
    void raiseEvent(int event, const QByteArray &bytes = {});
    // The device goes away: the port closes as an unplugged adapter would make it.
    void unplug();

private:
    int16_t commPort = 1;
    bool open = false;
    int commEvent = 0;
    QByteArray received;
    QByteArray queuedOutput;
    QString lastErrorText;
};
