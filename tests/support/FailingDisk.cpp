#include "support/FailingDisk.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <cstring>

#include <sys/resource.h>
#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/mount.h>
#endif

FileSizeLimit::FileSizeLimit(long bytes) {
    // A write past the limit raises SIGXFSZ, which would end the test instead of failing the write.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    previous = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(previous);
    setrlimit(RLIMIT_FSIZE, &limit);
}

QString mountTinyFileSystem(QString &whyNot) {
#ifdef Q_OS_LINUX
    if (unshare(CLONE_NEWNS) != 0) {
        whyNot =
            QStringLiteral("no private mount namespace: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return QString();
    }
    // Keep the mount inside this process.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        whyNot =
            QStringLiteral("mounts cannot be made private: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return QString();
    }
    const QString folder = QDir::temp().filePath(QStringLiteral("powerclamp-full-%1").arg(getpid()));
    QDir().mkpath(folder);
    if (mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0) {
        whyNot = QStringLiteral("tmpfs cannot be mounted: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return QString();
    }
    return folder;
#else
    whyNot = QStringLiteral("only Linux mounts a private tmpfs here");
    return QString();
#endif
}

void fillFileSystem(const QString &folder) {
    QFile ballast(QDir(folder).filePath(QStringLiteral("ballast")));
    ballast.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    const QByteArray page(4096, 'b');
    while (ballast.write(page) > 0) {
    }
    // Whatever is left is less than a page; take it byte by byte.
    while (ballast.write("b", 1) > 0) {
    }
}
