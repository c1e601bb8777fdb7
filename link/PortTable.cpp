#include "link/PortTable.h"

#include "link/PortNames.h"

PortTable::PortTable(DeviceList listDevices, Milliseconds now, PortDevices given)
    : listDevices(std::move(listDevices)), now(std::move(now)), numbered(std::move(given)) {}

QString PortTable::device(int number) {
    if (number < 1)
        return {};
    if (numbered.find(number) == numbered.end())
        readList();
    const auto found = numbered.find(number);
    return found != numbered.end() ? found->second : QString();
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
        if (!isNumbered(device))
            numbered[lowestFreeNumber()] = device;
}

bool PortTable::isNumbered(const QString &device) const {
    for (const auto &[number, numberedDevice] : numbered)
        if (numberedDevice == device)
            return true;
    return false;
}

int PortTable::lowestFreeNumber() const {
    int number = 1;
    // The map is ordered: the first gap in its numbers is the lowest free one.
    for (auto entry = numbered.begin(); entry != numbered.end() && entry->first == number; ++entry)
        ++number;
    return number;
}
