#include "Simulator.h"

#include "Answers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace metersim {

namespace {

constexpr uint8_t kRecordsRequest = 1;
constexpr uint8_t kRealtimeRequest = 6;

[[noreturn]] void fail(const std::string &what) {
    throw std::system_error(errno, std::generic_category(), what);
}

std::string hex(const uint8_t *data, std::size_t size) {
    std::string text;
    char digits[4];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(digits, sizeof digits, i == 0 ? "%02X" : " %02X", data[i]);
        text += digits;
    }
    return text;
}

// True while some process has the slave open: the master reports a hang-up once the last one closes it.
bool slaveIsOpen(int master) {
    pollfd check{master, POLLIN, 0};
    return poll(&check, 1, 0) == 0 || (check.revents & POLLHUP) == 0;
}

} // namespace

Simulator::Simulator(const Options &options, int master, const std::string &slavePath)
    : options_(options), master_(master), slavePath_(slavePath), silent_(options.silent) {
    sigset_t handled;
    sigemptyset(&handled);
    for (int signal : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2})
        sigaddset(&handled, signal);
    signals_ = signalfd(-1, &handled, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signals_ < 0)
        fail("signalfd");
    // The master only tells that the slave was closed; an inotify watch on the device tells when it opens.
    openWatch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (openWatch_ < 0 || inotify_add_watch(openWatch_, slavePath.c_str(), IN_OPEN) < 0) {
        const int error = errno;
        close(signals_);
        if (openWatch_ >= 0)
            close(openWatch_);
        errno = error;
        fail("inotify on " + slavePath);
    }
    portOpen_ = slaveIsOpen(master_);
}

Simulator::~Simulator() {
    close(signals_);
    close(openWatch_);
}

void Simulator::run() {
    enum { SignalFd, OpenWatch, Master, Stdin, Count };
    for (;;) {
        const bool unsent = portOpen_ && !outgoing_.empty() && outgoing_.front().due <= Clock::now();
        pollfd fds[Count] = {
            {signals_, POLLIN, 0},
            {openWatch_, POLLIN, 0},
            {portOpen_ ? master_ : -1, static_cast<short>(POLLIN | (unsent ? POLLOUT : 0)), 0},
            {options_.exitOnStdinEof ? STDIN_FILENO : -1, POLLIN, 0},
        };
        timespec wait{};
        const timespec *timeout = nullptr;
        if (!outgoing_.empty() && !unsent) {
            const auto left = std::max(Clock::duration::zero(), outgoing_.front().due - Clock::now());
            const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait = {static_cast<time_t>(nanoseconds / 1'000'000'000),
                    static_cast<long>(nanoseconds % 1'000'000'000)};
            timeout = &wait;
        }
        if (ppoll(fds, Count, timeout, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            fail("ppoll");
        }
        if ((fds[SignalFd].revents & POLLIN) && !handleSignal())
            return;
        if (fds[Stdin].revents != 0) {
            char ignored[256];
            if (read(STDIN_FILENO, ignored, sizeof ignored) <= 0) {
                log("stdin closed, ending");
                return;
            }
        }
        // A close seen on the master happened before any open still waiting in the watch, so it goes first.
        if (fds[Master].revents & POLLIN)
            readRequests();
        if (portOpen_ && (fds[Master].revents & (POLLHUP | POLLERR)))
            portClosed();
        noticeOpens();
        sendDue();
    }
}

bool Simulator::handleSignal() {
    signalfd_siginfo info{};
    while (read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        switch (info.ssi_signo) {
        case SIGUSR1:
            silent_ = true;
            log("silent (SIGUSR1)");
            break;
        case SIGUSR2:
            silent_ = false;
            blocksAnswered_ = 0;
            log("answering again (SIGUSR2)");
            break;
        default:
            log("ending on signal " + std::to_string(info.ssi_signo));
            return false;
        }
    }
    return true;
}

void Simulator::readRequests() {
    uint8_t buffer[512];
    for (;;) {
        const ssize_t count = read(master_, buffer, sizeof buffer);
        if (count <= 0)
            return; // EAGAIN when drained; EIO when the slave was closed meanwhile, which the hang-up reports
        const Clock::time_point received = Clock::now();
        log("rx " + hex(buffer, static_cast<std::size_t>(count)));
        const RequestReader::Result result = reader_.feed(buffer, static_cast<std::size_t>(count));
        if (result.skipped > 0)
            log("skipped " + std::to_string(result.skipped) + " bytes that start no request");
        for (const Bytes &request : result.requests)
            answer(request, received);
    }
}

void Simulator::answer(const Bytes &request, Clock::time_point received) {
    const uint8_t type = request[4];
    if (type == kRecordsRequest && options_.stopAfterBlocks && blocksAnswered_ >= *options_.stopAfterBlocks &&
        !silent_) {
        silent_ = true;
        log("silent after " + std::to_string(blocksAnswered_) + " record blocks");
    }
    if (silent_) {
        log("request " + hex(request.data(), request.size()) + " left unanswered (silent)");
        return;
    }
    const MeterState meter{options_.records, options_.longCount,
                           realtimeAnswers_ / static_cast<std::size_t>(options_.rotateEvery),
                           std::chrono::duration<double>(received - started_).count()};
    const std::optional<Bytes> frame = answerFor(request, meter);
    if (!frame) {
        log("request " + hex(request.data(), request.size()) + " not understood");
        return;
    }
    realtimeAnswers_ += type == kRealtimeRequest ? 1 : 0;
    blocksAnswered_ += type == kRecordsRequest ? 1 : 0;
    const int occurrence = ++requestsOfType_[type];
    const auto wrong = std::find_if(
        options_.wrongAnswers.begin(), options_.wrongAnswers.end(), [&](const WrongAnswer &answer) {
            return answer.requestType == type && (answer.nth == 0 || answer.nth == occurrence);
        });
    const Bytes bytes =
        wrong != options_.wrongAnswers.end() ? wrong->bytes : damaged(*frame, options_.damage);
    log("request " + hex(request.data(), request.size()) + " -> answer " + hex(bytes.data(), bytes.size()));
    for (const Chunk &chunk : schedule(bytes.size(), request.size(), options_.timing)) {
        Outgoing piece{received + chunk.at, Bytes(bytes.begin() + chunk.begin, bytes.begin() + chunk.end)};
        // Answers to later requests may be due before the rest of a delayed one; keep the queue in time
        // order.
        const auto later =
            std::upper_bound(outgoing_.begin(), outgoing_.end(), piece.due,
                             [](Clock::time_point due, const Outgoing &o) { return due < o.due; });
        outgoing_.insert(later, std::move(piece));
    }
}

bool Simulator::drainOpenEvents() {
    // Room for whole events as inotify(7) asks; only their arrival matters here.
    alignas(inotify_event) char events[4096];
    bool opened = false;
    while (read(openWatch_, events, sizeof events) > 0)
        opened = true;
    return opened;
}

void Simulator::noticeOpens() {
    // Even an open that was closed again at once counts: its request is waiting on the master, and the
    // hang-up that follows ends the session after it has been read.
    if (drainOpenEvents() && !portOpen_) {
        portOpen_ = true;
        log("port opened");
    }
}

void Simulator::portClosed() {
    portOpen_ = false;
    log("port closed");
    // Answer bytes the program did not read before closing would greet it at the next open. They sit in the
    // slave's input, which only a flush on the slave side empties.
    const int slave = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0 || tcflush(slave, TCIFLUSH) != 0)
        log(std::string("could not empty the terminal's input: ") + std::strerror(errno));
    if (slave >= 0)
        close(slave);
    // That open is the simulator's own; only a program that opened the port meanwhile keeps it open.
    drainOpenEvents();
    if (slaveIsOpen(master_)) {
        portOpen_ = true;
        log("port opened");
    }
    // A request cut off by the close is not one to answer.
    if (reader_.pendingSize() > 0)
        log("dropped " + std::to_string(reader_.pendingSize()) + " bytes of an unfinished request");
    reader_.clear();
}

void Simulator::sendDue() {
    while (!outgoing_.empty() && outgoing_.front().due <= Clock::now()) {
        Outgoing &piece = outgoing_.front();
        if (!portOpen_) {
            // A line sends regardless; the bytes are lost while nobody listens.
            log("port closed, lost " + hex(piece.bytes.data(), piece.bytes.size()));
            outgoing_.pop_front();
            continue;
        }
        const ssize_t written = write(master_, piece.bytes.data(), piece.bytes.size());
        if (written < 0) {
            if (errno == EAGAIN)
                return; // the terminal's buffer is full; POLLOUT brings us back
            log(std::string("write failed: ") + std::strerror(errno));
            outgoing_.pop_front();
            continue;
        }
        piece.bytes.erase(piece.bytes.begin(), piece.bytes.begin() + written);
        if (!piece.bytes.empty())
            return;
        outgoing_.pop_front();
    }
}

void Simulator::log(const std::string &text) const {
    if (!options_.verbose)
        return;
    const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    std::fprintf(stderr, "[%10.6f] %s\n", seconds, text.c_str());
}

} // namespace metersim
