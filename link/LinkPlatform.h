#pragma once

#include <QDateTime>

#include <cstdint>
#include <memory>

class SerialControl;
class TimerControl;

// What the meter engine needs from the world outside it: timers, the serial control and the
// clocks. Qt Core only, so a program without a display drives the meter through it. The
// program uses Qt's; the tests use doubles (a virtual clock, a scripted port).
class LinkPlatform {
public:
    virtual ~LinkPlatform() = default;

    virtual std::unique_ptr<TimerControl> createTimer() = 0;
    virtual std::unique_ptr<SerialControl> createSerialControl() = 0;

    // The wall clock, for the times the log and the trend show; the user or a time service may
    // set it back or forward.
    virtual QDateTime currentDateTime() const = 0;
    // Milliseconds on a clock that never goes back, for spans and intervals.
    virtual int64_t monotonicMs() const = 0;
};
