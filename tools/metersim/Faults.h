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
    bool paced = false;
};

// Bytes [begin, end) of an answer are written at `at` after the request was complete.
struct Chunk {
    std::chrono::nanoseconds at;
    std::size_t begin;
    std::size_t end;
};

// Splits an answer of `length` bytes into writes: after the delay, in up to `pieces` nearly equal pieces
// with a gap between them, and byte by byte at line speed when paced.
std::vector<Chunk> schedule(std::size_t length, const Timing &timing);

} // namespace metersim
