#pragma once

#include "link/SerialControl.h"

#include <QSerialPort>

class PortNumbering;

// The serial control on a real port: 9600 baud, 8 data bits, no parity, 1 stop bit.
class QtSerialControl final : public SerialControl {
    Q_OBJECT
public:
    // `ports` names the device behind each port number; it outlives the control.
    explicit QtSerialControl(PortNumbering &ports);

    int16_t CommPort() const override { return commPort; }
    void setCommPort(int16_t port) override { commPort = port; }
    bool PortOpen() const override { return port.isOpen(); }
    CommError setPortOpen(bool open) override;
    QString errorText() const override { return lastErrorText; }
    void setRThreshold(int16_t bytes) override { threshold = bytes; }
    int InBufferCount() const override;
    void setInBufferCount(int count) override;
    void setOutBufferCount(int count) override;
    QByteArray Input() override;
    void setOutput(const QByteArray &bytes) override;
    int CommEvent() const override { return commEvent; }

private:
    void onReadyRead();

    PortNumbering &ports;
    QSerialPort port;
    int16_t commPort = 1;
    int16_t threshold = 0;
    int commEvent = 0;
    QString lastErrorText;
    int opens = 0; // successful opens so far
};
