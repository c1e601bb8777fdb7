#pragma once

#include "link/LinkPlatform.h"
#include "support/FakeSerialControl.h"
#include "support/VirtualClock.h"

// The engine's platform in the unit tests: virtual time and a fake port. Declare it before the
// engine (or window) that uses it, so it outlives them.
class FakeLinkPlatform : public virtual LinkPlatform {
public:
    std::unique_ptr<TimerControl> createTimer() override { return clock.createTimer(); }
    std::unique_ptr<SerialControl> createSerialControl() override;
    // The wall clock starts at wallClockStart and follows the virtual clock; setting
    // wallClockStep moves it (a clock set back or forward) without moving the virtual clock.
    QDateTime currentDateTime() const override {
        return wallClockStart.addMSecs(clock.now() + wallClockStep);
    }
    int64_t monotonicMs() const override { return clock.now(); }

    VirtualClock clock;
    QDateTime wallClockStart = QDateTime(QDate(2026, 12, 10), QTime(9, 0), Qt::OffsetFromUTC, 3600);
    int64_t wallClockStep = 0;
    FakeSerialControl *serial = nullptr; // owned by the engine
};
