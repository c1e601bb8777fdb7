#pragma once

#include "link/Protocol.h"
#include "measure/ReadingBlock.h"

#include <QByteArray>

#include <array>
#include <cstdint>

// Meaning of LinkState::LinkStatus.
enum LinkStatusCode : uint8_t {
    LinkIdle = 0,        // nothing sent since start-up
    LinkAwaiting = 1,    // a request is outstanding
    LinkVerified = 2,    // a frame with a correct checksum arrived
    LinkBadChecksum = 3, // a frame arrived whose checksum did not match
    LinkTimedOut = 5,    // no answer before the response time-out
};

// The record through which the engine's handlers talk to each other. Widths are those the
// meter protocol was designed around; writers keep values in range.
struct LinkState {
    int16_t ComNum = 0;
    bool MeterFound = false;
    uint8_t RxExpectLen = 0;
    // Polls ask for realtime readings (true) or only keep the link alive (false).
    bool RealtimeView = true;
    uint8_t LinkStatus = LinkIdle;
    QByteArray RxBuf;
    uint8_t RxCount = 0;
    std::array<uint8_t, RxFrameSize> RxFrame{};
    int16_t RecordTotal = 0;
    uint8_t Type3Value = 0;
    uint8_t RecordBlocks = 0;
    ItemNameTable ItemName;
    UnitNameTable UnitName;
};
