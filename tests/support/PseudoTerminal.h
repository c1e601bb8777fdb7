#pragma once

#include <QByteArray>
#include <QString>

// A raw pseudo-terminal pair standing in for a serial port and the device behind it.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return deviceFd >= 0; }
    // The path the program opens.
    QString portPath() const { return path; }
    // The device side: write as the device, read what the program sent.
    void write(const QByteArray &bytes);
    // Reads until `count` bytes arrived or `timeoutMs` passed.
    QByteArray read(int count, int timeoutMs);
    // Closes the device side, as an unplugged adapter would.
    void unplug();

private:
    int deviceFd = -1;
    int portFd = -1;
    QString path;
};
