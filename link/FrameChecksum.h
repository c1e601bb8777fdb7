#pragma once

#include <cstdint>

// Both directions close a frame with the XOR of every byte from offset 1 up to the one
// before the checksum; the start byte is left out.
inline uint8_t frameChecksum(const uint8_t *frame, int checksumOffset) {
    uint8_t checksum = 0;
    for (int offset = 1; offset < checksumOffset; ++offset)
        checksum ^= frame[offset];
    return checksum;
}
