#include "support/VirtualClock.h"

#include <algorithm>

std::unique_ptr<VirtualTimer> VirtualClock::createTimer() { return std::make_unique<VirtualTimer>(*this); }

void VirtualClock::callAfter(int64_t delay, std::function<void()> action) {
    scheduled.push_back({nowMs + delay, nextSequence++, std::move(action)});
}

void VirtualClock::advance(int64_t milliseconds) {
    const int64_t target = nowMs + milliseconds;
    for (;;) {
        VirtualTimer *nextTimer = nullptr;
        for (VirtualTimer *timer : timers)
            if (timer->enabled && timer->interval > 0 && timer->due <= target &&
                (!nextTimer || timer->due < nextTimer->due ||
                 (timer->due == nextTimer->due && timer->sequence < nextTimer->sequence)))
                nextTimer = timer;
        auto nextCall = std::min_element(scheduled.begin(), scheduled.end(), [](const auto &a, const auto &b) {
            return a.due < b.due || (a.due == b.due && a.sequence < b.sequence);
        });
        const bool callDue = nextCall != scheduled.end() && nextCall->due <= target;
        if (!nextTimer && !callDue)
            break;
        if (callDue && (!nextTimer || nextCall->due < nextTimer->due ||
                        (nextCall->due == nextTimer->due && nextCall->sequence < nextTimer->sequence))) {
            nowMs = nextCall->due;
            std::function<void()> action = std::move(nextCall->action);
            scheduled.erase(nextCall);
            action();
            continue;
        }
        nowMs = nextTimer->due;
        nextTimer->due += nextTimer->interval;
        nextTimer->sequence = nextSequence++;
        emit nextTimer->Timer();
    }
    nowMs = target;
}

VirtualTimer::VirtualTimer(VirtualClock &clock) : clock(clock) { clock.timers.push_back(this); }

VirtualTimer::~VirtualTimer() {
    auto &timers = clock.timers;
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void VirtualTimer::setEnabled(bool enable) {
    if (enable && !enabled) {
        due = clock.now() + interval;
        sequence = clock.nextSequence++;
    }
    enabled = enable;
}

void VirtualTimer::setInterval(int milliseconds) {
    interval = milliseconds;
    if (enabled)
        due = clock.now() + interval;
}
