#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace metersim {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kRequestStart = 0xA1;
constexpr uint8_t kResponseStart = 0xB1;
// Byte 1 of an answer is not examined by the program but is covered by the checksum; a non-zero value
// makes sure the program's checksum really includes it.
constexpr uint8_t kResponseByte1 = 0x01;
constexpr std::size_t kShortestRequest = 6;
constexpr std::size_t kLongestRequest = 10;

// XOR of the bytes between the start byte and the checksum (offsets 1 .. L-2); the same in both directions.
uint8_t frameChecksum(const uint8_t *frame, std::size_t length);

enum class Verdict { NeedMore, Invalid, Valid };

// Judges the bytes from a would-be request start: Valid (with the frame's length), Invalid (the first
// byte starts no request) or NeedMore.
struct Scan {
    Verdict verdict;
    std::size_t length;
};
Scan scanRequest(const uint8_t *data, std::size_t size);

// Puts requests together from bytes that arrive in any pieces, skipping garbage up to the next 0xA1.
class RequestReader {
public:
    struct Result {
        std::vector<Bytes> requests;
        std::size_t skipped = 0;
    };
    Result feed(const uint8_t *data, std::size_t size);
    void clear() { pending_.clear(); }
    std::size_t pendingSize() const { return pending_.size(); }

private:
    Bytes pending_;
};

// A complete answer frame: start byte, byte 1, status, L-2, type, payload, checksum.
Bytes buildResponse(uint8_t type, const Bytes &payload);

} // namespace metersim
