#pragma once

#include <QString>

// Why this user may not open a serial device, and what to do about it. Device files carry a group
// (dialout on Debian and Ubuntu, uucp on Arch and Fedora); its members may open them.

// True when the device exists and this user lacks the rights to read and write it.
bool refusedForPermission(const QString &device);

// What stands between the user and a device that refused them.
struct DeviceAccess {
    QString group;                  // the group owning the device; empty when unknown
    bool groupMayOpen = false;      // the group has read and write rights on it
    bool userListedInGroup = false; // the system's group list names the user
};

// What the user can do, in a sentence or two, for the facts above.
QString permissionAdvice(const DeviceAccess &access);

// The facts for a device, read from the system (stat, getgrgid, getgrouplist).
DeviceAccess deviceAccess(const QString &device);
