#pragma once

#include "link/PortTable.h"

#include <QString>
#include <QStringList>

#include <memory>

// Device names in port order: by name, with numbers compared as numbers (ttyS2 before ttyS10).
QStringList inPortOrder(QStringList devices);

// The device behind each port number of one run, built once at start-up and handed to the
// serial control. A device the user gave has its number; on Windows every other port n is
// "COMn", elsewhere the session's table of the system's serial-port list numbers the rest.
class PortNumbering {
public:
    PortNumbering(const PortDevices &given, PortTable::DeviceList listDevices, PortTable::Milliseconds now);

    // The device behind port n (1..), or an empty string when there is none.
    QString device(int number);
    // Port n's device was not found at open; devices plugged in since are numbered.
    void deviceMissing(int number);

private:
    PortDevices given;
    PortTable table;
};

// POWERCLAMP_COM1 to POWERCLAMP_COM16 as the program found them; none on Windows, whose ports
// have names of their own.
PortDevices portDevicesFromEnvironment();

// The command line's devices, then the environment's for the numbers the command line leaves
// free.
PortDevices givenPortDevices(const PortDevices &commandLine, const PortDevices &environment);

// The system's serial devices (/dev/ttyS0, /dev/ttyUSB0, ...); never pseudo-terminals.
QStringList systemSerialPorts();

// The numbering of a running program: `commandLine`'s devices, the environment's, then the
// system's serial-port list.
std::unique_ptr<PortNumbering> portNumberingForThisRun(const PortDevices &commandLine);
