#include "Frames.h"

#include <stdexcept>

namespace metersim {

uint8_t frameChecksum(const uint8_t *frame, std::size_t length) {
    uint8_t checksum = 0;
    for (std::size_t i = 1; i + 1 < length; ++i)
        checksum ^= frame[i];
    return checksum;
}

Scan scanRequest(const uint8_t *data, std::size_t size) {
    // Byte 1 is always 0x00 in a request; checking it early lets noise resync without waiting for a length.
    if (size == 0)
        return {Verdict::NeedMore, 0};
    if (data[0] != kRequestStart || (size >= 2 && data[1] != 0x00))
        return {Verdict::Invalid, 1};
    if (size < 4)
        return {Verdict::NeedMore, 0};
    const std::size_t length = std::size_t{data[3]} + 2;
    if (length < kShortestRequest || length > kLongestRequest)
        return {Verdict::Invalid, 1};
    if (size < length)
        return {Verdict::NeedMore, 0};
    if (frameChecksum(data, length) != data[length - 1])
        return {Verdict::Invalid, 1};
    return {Verdict::Valid, length};
}

RequestReader::Result RequestReader::feed(const uint8_t *data, std::size_t size) {
    pending_.insert(pending_.end(), data, data + size);
    Result result;
    std::size_t position = 0;
    while (position < pending_.size()) {
        const Scan scan = scanRequest(pending_.data() + position, pending_.size() - position);
        if (scan.verdict == Verdict::NeedMore)
            break;
        if (scan.verdict == Verdict::Invalid) {
            ++result.skipped;
            ++position;
            continue;
        }
        result.requests.emplace_back(pending_.begin() + position, pending_.begin() + position + scan.length);
        position += scan.length;
    }
    pending_.erase(pending_.begin(), pending_.begin() + position);
    return result;
}

Bytes buildResponse(uint8_t type, const Bytes &payload) {
    const std::size_t length = payload.size() + 6;
    if (length - 2 > 0xFF)
        throw std::length_error("answer payload does not fit a frame");
    // Reserved up front: growing a five-byte vector here trips a false -Warray-bounds in GCC 12.
    Bytes frame;
    frame.reserve(length);
    frame.insert(frame.end(), {kResponseStart, kResponseByte1, 0x00, static_cast<uint8_t>(length - 2), type});
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(0);
    frame.back() = frameChecksum(frame.data(), frame.size());
    return frame;
}

} // namespace metersim
