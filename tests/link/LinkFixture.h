#pragma once

#include "app/Form1.h"
#include "support/FakePlatform.h"
#include "support/ScriptedMeter.h"

#include <initializer_list>

// A window on the fake platform with a scripted meter behind one port. Other ports can be
// given that open but have nothing behind them; every other port number has no device.
struct LinkFixture {
    explicit LinkFixture(int meterPort = 1, std::initializer_list<int> silentPorts = {});

    // Runs port discovery up to its found tick; false if the meter was not found in time.
    bool findMeter();
    // Clicks a tab: 1 Realtime, 2 Record.
    void clickTab(int tab);
    // Runs the clock until the next request reaches the meter; false if none comes in time.
    bool advanceToNextRequest(int64_t limitMs = 10000);
    // The ports requests went out on, in order, from the serial control's log.
    QList<int> requestPorts() const;

    FakePlatform platform;
    Form1 form{platform};
    FakeSerialControl &serial;
    ScriptedMeter meter;
};
