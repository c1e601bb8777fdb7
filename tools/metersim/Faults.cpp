#include "Faults.h"

#include <algorithm>
#include <array>

namespace metersim {

namespace {
// Line noise as a cable might pick it up, with a request start byte but never an answer start byte.
constexpr std::array<uint8_t, 8> kNoise{0x00, 0xFF, 0x55, 0x0D, 0x0A, 0xA1, 0x7F, 0x13};
} // namespace

Bytes damaged(Bytes frame, const Damage &damage) {
    frame[2] = damage.status;
    frame.back() = frameChecksum(frame.data(), frame.size());
    if (damage.badChecksum)
        frame.back() ^= 0xFF;
    Bytes noisy;
    for (std::size_t i = 0; i < damage.noiseBytes; ++i)
        noisy.push_back(kNoise[i % kNoise.size()]);
    noisy.insert(noisy.end(), frame.begin(), frame.end());
    return noisy;
}

std::vector<Chunk> schedule(std::size_t length, std::size_t requestLength, const Timing &timing) {
    const std::size_t pieces = std::clamp<std::size_t>(timing.pieces, 1, std::max<std::size_t>(length, 1));
    const std::chrono::nanoseconds requestOnWire =
        timing.paced ? static_cast<long>(requestLength) * kByteTime : std::chrono::nanoseconds::zero();
    std::vector<Chunk> chunks;
    for (std::size_t piece = 0; piece < pieces; ++piece) {
        const std::size_t begin = length * piece / pieces;
        const std::size_t end = length * (piece + 1) / pieces;
        const std::chrono::nanoseconds pieceStart = timing.delay + static_cast<long>(piece) * timing.gap;
        if (!timing.paced) {
            chunks.push_back({pieceStart, begin, end});
            continue;
        }
        for (std::size_t byte = begin; byte < end; ++byte)
            chunks.push_back(
                {requestOnWire + pieceStart + static_cast<long>(byte + 1) * kByteTime, byte, byte + 1});
    }
    if (timing.usbLatency.count() <= 0)
        return chunks;
    std::vector<Chunk> packets;
    const std::chrono::nanoseconds window = timing.usbLatency;
    for (const Chunk &chunk : chunks) {
        const std::chrono::nanoseconds handedOver =
            (chunk.at + window - std::chrono::nanoseconds(1)) / window * window;
        if (!packets.empty() && packets.back().at == handedOver)
            packets.back().end = chunk.end;
        else
            packets.push_back({handedOver, chunk.begin, chunk.end});
    }
    return packets;
}

} // namespace metersim
