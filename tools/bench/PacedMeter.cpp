#include "PacedMeter.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr uint8_t RequestStart = 0xA1;
constexpr uint8_t AnswerStart = 0xB1;
constexpr uint8_t LinkCheck = 5;
constexpr uint8_t Realtime = 6;
constexpr int64_t ByteTimeNs = 1'041'667; // 10 bits at 9600 baud

void makeRaw(int fd) {
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
}

std::vector<uint8_t> frame(uint8_t type, const std::vector<uint8_t> &payload) {
    std::vector<uint8_t> bytes(payload.size() + 5);
    bytes[0] = AnswerStart;
    bytes[1] = 0x01; // covered by the checksum
    bytes[2] = 0x00; // status: accepted
    bytes[3] = uint8_t(payload.size() + 4);
    bytes[4] = type;
    std::copy(payload.begin(), payload.end(), bytes.begin() + 5);
    uint8_t checksum = 0;
    for (std::size_t i = 1; i < bytes.size(); ++i)
        checksum ^= bytes[i];
    bytes.push_back(checksum);
    return bytes;
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

std::vector<uint8_t> PacedMeter::realtimeFrame(std::size_t index) {
    // P1 in W, Q1 in var, S1 in VA, PF1 without unit; six value characters each.
    const uint8_t items[4][2] = {{11, 7}, {15, 9}, {19, 11}, {23, 19}};
    std::vector<uint8_t> payload;
    for (int row = 0; row < 4; ++row) {
        char value[8];
        std::snprintf(value, sizeof value, "%6.3f",
                      double((index * 7 + std::size_t(row)) % 1000) / 1000.0 + row);
        payload.insert(payload.end(), {items[row][0], items[row][1]});
        payload.insert(payload.end(), value, value + 6);
    }
    return frame(Realtime, payload);
}

void PacedMeter::serve() {
    std::vector<uint8_t> pending;
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
        pending.insert(pending.end(), buffer, buffer + count);
        for (;;) {
            while (!pending.empty() && pending.front() != RequestStart)
                pending.erase(pending.begin());
            if (pending.size() < 4 || pending.size() < std::size_t(pending[3]) + 2)
                break;
            const std::size_t length = std::size_t(pending[3]) + 2;
            answer(std::vector<uint8_t>(pending.begin(), pending.begin() + long(length)));
            pending.erase(pending.begin(), pending.begin() + long(length));
        }
    }
}

void PacedMeter::answer(const std::vector<uint8_t> &request) {
    const uint8_t type = request[4];
    if (type == LinkCheck) {
        writePaced(frame(LinkCheck, {0x55, 0xAA}));
    } else if (type == Realtime) {
        const std::size_t index = answered.load(std::memory_order_relaxed);
        writePaced(realtimeFrame(index));
        const int64_t done = monotonicNs();
        if (index < lastByteNs.size()) {
            lastByteNs[index] = done;
            answered.store(index + 1, std::memory_order_release);
        }
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
