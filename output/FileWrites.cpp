#include "output/FileWrites.h"

#include <QFileDevice>

#include <cerrno>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

QString failureReason(const QFileDevice &file, int systemError) {
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    if (systemError != 0)
        return QString::fromLocal8Bit(std::generic_category().message(systemError));
    return QStringLiteral("The system gave no reason.");
}

QString writeAll(QFileDevice &file, const QByteArray &bytes) {
    qint64 written = 0;
    while (written < bytes.size()) {
        errno = 0;
        const qint64 chunk = file.write(bytes.constData() + written, bytes.size() - written);
        if (chunk <= 0)
            return failureReason(file, errno);
        written += chunk;
    }
    return QString();
}

QString syncToDisk(QFileDevice &file) {
#ifdef Q_OS_UNIX
    // Network and user-space file systems may report a full disk only here.
    if (::fsync(file.handle()) != 0)
        return QString::fromLocal8Bit(std::generic_category().message(errno));
#else
    Q_UNUSED(file);
#endif
    return QString();
}
