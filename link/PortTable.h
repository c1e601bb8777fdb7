#pragma once

#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

// COM numbers for the serial devices of one session, kept the way Windows keeps them: the first
// read of the system's list numbers its devices 1, 2, ... in port order; a device keeps its
// number while the program runs, also while it is unplugged, and gets it back when it returns
// under the same name; a device that appears later takes the next unused number.
class PortTable {
public:
    using DeviceList = std::function<QStringList()>;
    using Milliseconds = std::function<int64_t()>;

    // The list is read at most once per interval, the time of one discovery tick.
    static constexpr int64_t ListReadIntervalMs = 500;

    PortTable(DeviceList listDevices, Milliseconds now);

    // The device numbered n (1..), or an empty string when there is none. The system's list is
    // read only when n has no device yet.
    QString device(int number);
    // The device was missing when it was opened: read the list for devices that came meanwhile.
    void deviceMissing();

    int listReads() const { return reads; }

private:
    void readList();

    DeviceList listDevices;
    Milliseconds now;
    QStringList numbered; // device of number n at index n - 1
    std::optional<int64_t> lastRead;
    int reads = 0;
};
