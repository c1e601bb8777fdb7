#include "link/PortTable.h"

#include "link/PortNames.h"

PortTable::PortTable(DeviceList listDevices, Milliseconds now)
    : listDevices(std::move(listDevices)), now(std::move(now)) {}

QString PortTable::device(int number) {
    if (number < 1)
        return {};
    if (number > numbered.size())
        readList();
    return number <= numbered.size() ? numbered.at(number - 1) : QString();
}

void PortTable::deviceMissing() {
    readList();
}

void PortTable::readList() {
    const int64_t moment = now();
    if (lastRead && moment - *lastRead < ListReadIntervalMs)
        return;
    lastRead = moment;
    ++reads;
    for (const QString &device : inPortOrder(listDevices()))
        if (!numbered.contains(device))
            numbered << device;
}
