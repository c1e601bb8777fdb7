#include "support/FakeLinkPlatform.h"

std::unique_ptr<SerialControl> FakeLinkPlatform::createSerialControl() {
    auto port = std::make_unique<FakeSerialControl>();
    serial = port.get();
    return port;
}
