#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

// A meter on a raw pseudo-terminal, answering link checks and realtime requests with the simulator's
// meter model at 9600 baud pace (one byte every 1.042 ms) from a thread of its own. It notes the
// CLOCK_MONOTONIC time right after the write of each realtime answer's last byte, which the simulator
// does not report.
class PacedMeter {
public:
    explicit PacedMeter(std::size_t maxAnswers);
    ~PacedMeter();
    PacedMeter(const PacedMeter &) = delete;
    PacedMeter &operator=(const PacedMeter &) = delete;

    bool isValid() const { return deviceFd >= 0; }
    const std::string &portPath() const { return path; }

    // Realtime answers completely written so far.
    std::size_t realtimeAnswers() const { return answered.load(std::memory_order_acquire); }
    // Monotonic nanoseconds after the last byte of realtime answer `index` (from 0) was written.
    int64_t lastByteWritten(std::size_t index) const { return lastByteNs[index]; }

private:
    void serve();
    void answer(const std::vector<uint8_t> &request);
    void writePaced(const std::vector<uint8_t> &frame);

    int deviceFd = -1;
    int portFd = -1;
    int stopFd = -1;
    std::string path;
    std::vector<int64_t> lastByteNs;
    std::atomic<std::size_t> answered{0};
    std::thread worker;
};

int64_t monotonicNs();
