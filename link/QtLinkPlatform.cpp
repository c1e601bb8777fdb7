#include "link/QtLinkPlatform.h"

#include "link/QtSerialControl.h"
#include "link/QtTimerControl.h"

std::unique_ptr<TimerControl> QtLinkPlatform::createTimer() {
    return std::make_unique<QtTimerControl>();
}

std::unique_ptr<SerialControl> QtLinkPlatform::createSerialControl() {
    return std::make_unique<QtSerialControl>(ports);
}
