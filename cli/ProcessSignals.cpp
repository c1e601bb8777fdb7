#include "cli/ProcessSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int writeEnd = -1;

// Only async-signal-safe calls here: the signal's number goes through the pipe to the event loop.
void forwardSignal(int number) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

ProcessSignals::ProcessSignals() {
    if (::pipe(pipeEnds) != 0)
        return;
    for (const int end : pipeEnds) {
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    writeEnd = pipeEnds[1];
    notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &ProcessSignals::readPending);
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
    // A file grown to the size limit is a write that fails, which the log waits out; the signal
    // would end the program instead.
    std::signal(SIGXFSZ, SIG_IGN);
}

ProcessSignals::~ProcessSignals() {
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        std::signal(number, SIG_DFL);
    notifier.reset();
    writeEnd = -1;
    for (const int end : pipeEnds)
        if (end >= 0)
            ::close(end);
}

void ProcessSignals::readPending() {
    unsigned char number = 0;
    while (::read(pipeEnds[0], &number, 1) == 1) {
        if (number == SIGHUP)
            emit reopenRequested();
        else
            emit endRequested();
    }
}

#else

ProcessSignals::ProcessSignals() = default;
ProcessSignals::~ProcessSignals() = default;
void ProcessSignals::readPending() {}

#endif
