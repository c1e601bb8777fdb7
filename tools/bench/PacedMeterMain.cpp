// A paced meter on a pseudo-terminal for benchmarks run from a script: prints the terminal's path,
// then one line per realtime answer, "answer N UNIX_NS", with the time its last byte was written
// (CLOCK_REALTIME, nanoseconds), which a subscriber's receipt times (mosquitto_sub -F %U) can be
// set against. Ends on SIGTERM or SIGINT.
#include "PacedMeter.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <thread>

namespace {

volatile std::sig_atomic_t ending = 0;

int64_t realtimeNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

int main() {
    // A day of answers at one every 1.5 s.
    constexpr std::size_t MaxAnswers = 60'000;
    PacedMeter meter(MaxAnswers);
    if (!meter.isValid()) {
        std::perror("openpty");
        return 1;
    }
    std::signal(SIGTERM, [](int) { ending = 1; });
    std::signal(SIGINT, [](int) { ending = 1; });
    std::printf("%s\n", meter.portPath().c_str());
    std::fflush(stdout);
    std::size_t told = 0;
    while (ending == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (; told < meter.realtimeAnswers(); ++told) {
            // The two clocks read together: their difference moves by far less than a microsecond
            // over the few milliseconds since the byte.
            const int64_t offset = realtimeNs() - monotonicNs();
            std::printf("answer %zu %lld\n", told,
                        static_cast<long long>(meter.lastByteWritten(told) + offset));
        }
        std::fflush(stdout);
    }
    return 0;
}
