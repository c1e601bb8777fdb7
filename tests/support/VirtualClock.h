#pragma once

#include "link/TimerControl.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class VirtualTimer;

// Simulated time for the tests: advance() fires every due timer tick and scheduled call in
// time order, so a 2.5 s time-out takes microseconds and always happens the same way.
class VirtualClock {
public:
    int64_t now() const { return nowMs; }
    void advance(int64_t milliseconds);
    // Runs action when the clock reaches now() + delay.
    void callAfter(int64_t delay, std::function<void()> action);
    std::unique_ptr<VirtualTimer> createTimer();

private:
    friend class VirtualTimer;
    struct Scheduled {
        int64_t due;
        uint64_t sequence;
        std::function<void()> action;
    };

    int64_t nowMs = 0;
    uint64_t nextSequence = 0;
    std::vector<VirtualTimer *> timers;
    std::vector<Scheduled> scheduled;
};

class VirtualTimer final : public TimerControl {
    Q_OBJECT
public:
    explicit VirtualTimer(VirtualClock &clock);
    ~VirtualTimer() override;

    bool Enabled() const override { return enabled; }
    void setEnabled(bool enable) override;
    int Interval() const override { return interval; }
    void setInterval(int milliseconds) override;
    // When the next tick is due, if enabled.
    int64_t dueAt() const { return due; }

private:
    friend class VirtualClock;
    VirtualClock &clock;
    bool enabled = false;
    int interval = 0;
    int64_t due = 0;
    uint64_t sequence = 0; // orders ticks due at the same moment
};
