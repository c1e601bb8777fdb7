#include "link/PortAccess.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#endif

QString permissionAdvice(const DeviceAccess &access) {
    // A device only its owner may open, or one owned by root's group: a group is not the way in.
    if (access.group.isEmpty() || !access.groupMayOpen || access.group == QLatin1String("root"))
        return QStringLiteral("Only its owner may open it; ask the administrator for access.");
    if (access.userListedInGroup)
        return QStringLiteral("You were added to the group %1 after you logged in: log out and in again.")
            .arg(access.group);
    return QStringLiteral("The device belongs to the group %1: add your user to it "
                          "(sudo usermod -aG %1 $USER), then log out and in again.")
        .arg(access.group);
}

#ifdef Q_OS_UNIX

bool refusedForPermission(const QString &device) {
    const QByteArray path = device.toLocal8Bit();
    return ::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES;
}

namespace {

bool userListedIn(gid_t group) {
    const passwd *user = getpwuid(getuid());
    if (user == nullptr)
        return false;
    int count = 64;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    if (getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0) {
        groups.resize(size_t(count));
        if (getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0)
            return false;
    }
    groups.resize(size_t(count));
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

} // namespace

DeviceAccess deviceAccess(const QString &device) {
    DeviceAccess access;
    struct stat status {};
    if (stat(device.toLocal8Bit().constData(), &status) != 0)
        return access;
    if (const group *owner = getgrgid(status.st_gid))
        access.group = QString::fromLocal8Bit(owner->gr_name);
    access.groupMayOpen = (status.st_mode & S_IRGRP) && (status.st_mode & S_IWGRP);
    access.userListedInGroup = userListedIn(status.st_gid);
    return access;
}

#else

// Elsewhere a port that refuses is one another program holds; there is no group to join.
bool refusedForPermission(const QString &) {
    return false;
}
DeviceAccess deviceAccess(const QString &) {
    return {};
}

#endif
