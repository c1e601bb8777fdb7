#include "PacedMeter.h"

#include "Answers.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr uint8_t LinkCheck = 5;
constexpr uint8_t Realtime = 6;
constexpr int64_t ByteTimeNs = 1'041'667; // 10 bits at 9600 baud

void makeRaw(int fd) {
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
}

} // namespace

int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

PacedMeter::PacedMeter(std::size_t maxAnswers) : lastByteNs(maxAnswers, 0) {
    char name[256] = {};
    if (openpty(&deviceFd, &portFd, name, nullptr, nullptr) != 0) {
        deviceFd = portFd = -1;
        return;
    }
    // Raw on both sides; the port side stays open here so the program's closes never hang the line up.
    makeRaw(deviceFd);
    makeRaw(portFd);
    path = name;
    stopFd = eventfd(0, EFD_CLOEXEC);
    worker = std::thread([this] { serve(); });
}

PacedMeter::~PacedMeter() {
    if (worker.joinable()) {
        const uint64_t one = 1;
        if (write(stopFd, &one, sizeof one) != sizeof one)
            std::perror("eventfd");
        worker.join();
    }
    for (int fd : {stopFd, portFd, deviceFd})
        if (fd >= 0)
            close(fd);
}

void PacedMeter::serve() {
    metersim::RequestReader reader;
    for (;;) {
        pollfd fds[2] = {{deviceFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents != 0)
            return;
        uint8_t buffer[256];
        const ssize_t count = read(deviceFd, buffer, sizeof buffer);
        if (count <= 0)
            continue;
        for (const metersim::Bytes &request : reader.feed(buffer, std::size_t(count)).requests)
            answer(request);
    }
}

void PacedMeter::answer(const std::vector<uint8_t> &request) {
    const uint8_t type = request[4];
    if (type != LinkCheck && type != Realtime)
        return;
    // The simulator's meter model: each realtime answer shows the next set of items.
    const std::size_t index = answered.load(std::memory_order_relaxed);
    const std::optional<metersim::Bytes> frame =
        metersim::answerFor(request, {0, false, index, double(index)});
    if (!frame)
        return;
    writePaced(*frame);
    if (type != Realtime)
        return;
    const int64_t done = monotonicNs();
    if (index < lastByteNs.size()) {
        lastByteNs[index] = done;
        answered.store(index + 1, std::memory_order_release);
    }
}

void PacedMeter::writePaced(const std::vector<uint8_t> &bytes) {
    timespec due{};
    clock_gettime(CLOCK_MONOTONIC, &due);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            due.tv_nsec += ByteTimeNs;
            if (due.tv_nsec >= 1'000'000'000) {
                due.tv_nsec -= 1'000'000'000;
                ++due.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
        }
        if (write(deviceFd, &bytes[i], 1) != 1)
            return;
    }
}
