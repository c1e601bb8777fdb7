#pragma once

#include "link/Requests.h"

#include <cstdint>

// Records one download fetches at most: the records requests can address.
constexpr int16_t MaxDownloadRecords = LastRecordNumber + 1;

// What the received bytes hold, judged in the order the checks run.
enum class FrameVerdict : uint8_t {
    NoFrame,     // no start byte
    Incomplete,  // a frame has begun whose rest has not arrived
    BadLength,   // the length byte announces what no frame can be
    BadStatus,   // status byte other than 0
    BadChecksum, // checksum mismatch
    Verified,
};

struct FrameCheck {
    FrameVerdict verdict;
    int start;   // index of the start byte; meaningful unless NoFrame
    int length;  // L, the whole frame's length as announced; meaningful from BadLength on
    int missing; // Incomplete: bytes still to come before the frame can be checked
};

// Finds the first start byte in the received bytes and checks the frame it starts. Reads
// bytes[0..count-1] only.
FrameCheck checkFrame(const uint8_t *bytes, int count);

// Records in a record-block answer of this length.
int recordsInBlock(int length);

// The records a count answer (one count byte, or two low byte first) announces, bounded to
// what one download fetches.
int16_t downloadRecordCount(const uint8_t *frame, int length);
