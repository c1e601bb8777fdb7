#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>

// Error numbers of the serial control, as ComOpen tells them apart.
enum CommError : int {
    CommNoError = 0,
    CommInvalidPort = 8002,     // no device behind the port number
    CommPortAlreadyOpen = 8005, // the port is in use
    CommAccessDenied = 8006,    // this user may not open the device
    CommOtherError = 8015,      // anything else: the port stays closed
};

enum CommEventCode : int {
    comEvReceive = 2, // data received
};

// The serial-port control the meter link is written against: the property names of the
// classic communications control, over raw bytes.
class SerialControl : public QObject {
    Q_OBJECT
public:
    virtual int16_t CommPort() const = 0;
    virtual void setCommPort(int16_t port) = 0;

    virtual bool PortOpen() const = 0;
    // Opening reports a CommError; errorText() then says why in the system's words.
    virtual CommError setPortOpen(bool open) = 0;
    virtual QString errorText() const = 0;

    // OnComm with CommEvent comEvReceive fires once at least this many bytes are buffered.
    virtual void setRThreshold(int16_t bytes) = 0;

    virtual int InBufferCount() const = 0;
    // Setting 0 discards every byte received so far.
    virtual void setInBufferCount(int count) = 0;
    // Setting 0 hands the request to the device; bytes already written are never discarded.
    virtual void setOutBufferCount(int count) = 0;

    // Every buffered byte, removed from the buffer.
    virtual QByteArray Input() = 0;
    virtual void setOutput(const QByteArray &bytes) = 0;

    virtual int CommEvent() const = 0;

signals:
    void OnComm();
};
