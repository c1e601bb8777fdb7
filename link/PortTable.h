#pragma once

#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

// Devices by port number, as the user gives them (--port N=DEVICE, POWERCLAMP_COMn).
using PortDevices = std::map<int, QString>;

// COM numbers for the serial devices of one session, kept the way Windows keeps them: the first
// read of the system's list numbers its devices in port order into the free numbers 1, 2, ...;
// a device keeps its number while the program runs, also while it is unplugged, and gets it back
// when it returns under the same name; a device that appears later takes the lowest free number.
// A device the user numbered has that number only: the list never numbers it again, and its
// number is not free for a listed device.
class PortTable {
public:
    using DeviceList = std::function<QStringList()>;
    using Milliseconds = std::function<int64_t()>;

    // The list is read at most once per interval, the time of one discovery tick.
    static constexpr int64_t ListReadIntervalMs = 500;

    PortTable(DeviceList listDevices, Milliseconds now, PortDevices given = {});

    // The device numbered n (1..), or an empty string when there is none. The system's list is
    // read only when n has no device yet.
    QString device(int number);
    // The device was missing when it was opened: read the list for devices that came meanwhile.
    void deviceMissing();

    int listReads() const { return reads; }

private:
    void readList();
    bool isNumbered(const QString &device) const;
    int lowestFreeNumber() const;

    DeviceList listDevices;
    Milliseconds now;
    PortDevices numbered; // the given devices and the listed ones, by number
    std::optional<int64_t> lastRead;
    int reads = 0;
};
