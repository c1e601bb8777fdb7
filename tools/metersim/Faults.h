#pragma once

#include "Frames.h"

#include <chrono>
#include <cstddef>
#include <vector>

namespace metersim {

// Ways to spoil the bytes of an answer.
struct Damage {
    bool badChecksum = false;
    uint8_t status = 0x00;
    std::size_t noiseBytes = 0;
};

// Applies the damage to a good answer frame: the status byte (checksum kept valid so that only the status
// is wrong), an inverted checksum, and noise bytes ahead of the start byte.
Bytes damaged(Bytes frame, const Damage &damage);

// 10 bits a byte at 9600 baud.
constexpr std::chrono::nanoseconds kByteTime{1'041'667};

// When the bytes of an answer go out.
struct Timing {
    std::chrono::milliseconds delay{0};
    std::size_t pieces = 1;
    std::chrono::milliseconds gap{50};
    // A 9600-baud line: the request takes its time on the wire, and each answer byte lands
    // once its 10 bits are through.
    bool paced = false;
    // A USB serial adapter (0: none): the bytes the line delivered within a window are handed
    // over together at the window's end.
    std::chrono::milliseconds usbLatency{0};
};

// Bytes [begin, end) of an answer are written at `at` after the request was complete.
struct Chunk {
    std::chrono::nanoseconds at;
    std::size_t begin;
    std::size_t end;
};

// Splits an answer of `length` bytes to a request of `requestLength` bytes into writes: after the delay,
// in up to `pieces` nearly equal pieces with a gap between them, byte by byte at line speed when paced,
// and in one packet per latency window behind a USB adapter.
std::vector<Chunk> schedule(std::size_t length, std::size_t requestLength, const Timing &timing);

} // namespace metersim
