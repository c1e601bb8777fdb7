#pragma once

#include "link/Requests.h"

#include <cstdint>
#include <optional>

// Records one download fetches at most: the records requests can address.
constexpr int16_t MaxDownloadRecords = LastRecordNumber + 1;

// What the received bytes hold, judged in the order the checks run.
enum class FrameVerdict : uint8_t {
    NoFrame,     // no start byte, or fewer than 6 bytes from it on
    Incomplete,  // the length byte points past the received bytes
    BadLength,   // shorter than a type byte needs, or longer than a frame can be held
    BadStatus,   // status byte other than 0
    BadChecksum, // checksum mismatch
    Verified,
};

struct FrameCheck {
    FrameVerdict verdict;
    int start;  // index of the start byte; meaningful unless NoFrame
    int length; // L, the whole frame's length; meaningful from BadStatus on
};

// Finds the first frame in the received bytes and checks it. Reads bytes[0..count-1] only.
FrameCheck checkFrame(const uint8_t *bytes, int count);

// Bytes still to come for the first frame in the received bytes: its length byte announces
// more than has arrived and the whole frame would still be held. 0 when no frame is awaited.
int bytesStillAwaited(const uint8_t *bytes, int count);

// Whether a verified frame is an answer of a listed type whose handler finds every byte it
// reads inside the frame. Any other frame is left alone, as an unlisted type would be.
bool isHandledAnswer(uint8_t type, int length);

// Records in a record-block answer of this length (1..3).
int recordsInBlock(int length);

// The records a count answer announces, as many as the meter holds; nothing for a length that
// carries no count.
std::optional<int> announcedRecordCount(const uint8_t *frame, int length);

// The records a count answer announces, bounded to what one download fetches; nothing for a
// length that carries no count.
std::optional<int16_t> downloadRecordCount(const uint8_t *frame, int length);
