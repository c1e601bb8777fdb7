#include "support/PseudoTerminal.h"

#include <QElapsedTimer>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

static void makeRaw(int fd) {
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
}

PseudoTerminal::PseudoTerminal() {
    char name[256] = {};
    if (openpty(&deviceFd, &portFd, name, nullptr, nullptr) != 0) {
        deviceFd = portFd = -1;
        return;
    }
    // Raw on both sides, or the terminal would echo and translate bytes after the port closes.
    makeRaw(deviceFd);
    makeRaw(portFd);
    path = QString::fromLocal8Bit(name);
}

PseudoTerminal::~PseudoTerminal() { unplug(); }

void PseudoTerminal::write(const QByteArray &bytes) {
    qint64 written = 0;
    while (deviceFd >= 0 && written < bytes.size()) {
        const ssize_t now = ::write(deviceFd, bytes.constData() + written, size_t(bytes.size() - written));
        if (now <= 0)
            return;
        written += now;
    }
}

QByteArray PseudoTerminal::read(int count, int timeoutMs) {
    QByteArray bytes;
    QElapsedTimer elapsed;
    elapsed.start();
    while (deviceFd >= 0 && bytes.size() < count && elapsed.elapsed() < timeoutMs) {
        pollfd ready{deviceFd, POLLIN, 0};
        if (poll(&ready, 1, int(timeoutMs - elapsed.elapsed())) <= 0)
            break;
        char buffer[512];
        const ssize_t now = ::read(deviceFd, buffer, sizeof buffer);
        if (now <= 0)
            break;
        bytes.append(buffer, int(now));
    }
    return bytes;
}

void PseudoTerminal::unplug() {
    if (portFd >= 0)
        ::close(portFd);
    if (deviceFd >= 0)
        ::close(deviceFd);
    portFd = deviceFd = -1;
}
