#pragma once

#include "Frames.h"
#include "Options.h"

#include <chrono>
#include <deque>
#include <map>
#include <string>

namespace metersim {

// The meter's side of the line: waits for requests on the pty master, answers them as the options say,
// and follows the program's opening and closing of the slave.
class Simulator {
public:
    // Expects SIGINT, SIGTERM, SIGUSR1 and SIGUSR2 to be blocked already; they are taken from a signalfd.
    Simulator(const Options &options, int master, const std::string &slavePath); // throws std::system_error
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // Runs until SIGINT, SIGTERM or, if asked for, the end of stdin.
    void run();

private:
    using Clock = std::chrono::steady_clock;
    struct Outgoing {
        Clock::time_point due;
        Bytes bytes;
    };

    bool handleSignal();
    void readRequests();
    void answer(const Bytes &request, Clock::time_point received);
    bool drainOpenEvents();
    void noticeOpens();
    void portClosed();
    void sendDue();
    void log(const std::string &text) const;

    const Options &options_;
    const int master_;
    const std::string slavePath_;
    int signals_ = -1;
    int openWatch_ = -1;
    bool portOpen_ = false;
    bool silent_;
    int blocksAnswered_ = 0;
    std::size_t realtimeAnswers_ = 0;
    std::map<uint8_t, int> requestsOfType_;
    const Clock::time_point started_ = Clock::now();
    RequestReader reader_;
    std::deque<Outgoing> outgoing_;
};

} // namespace metersim
