#pragma once

#include "Frames.h"

#include <cstddef>
#include <optional>

namespace metersim {

constexpr int kMaxRecordsPerBlock = 3;

// What the meter holds and shows at the moment a request arrives.
struct MeterState {
    int recordCount = 0;
    bool longCount = false; // answer the record count with two bytes even when it fits one
    std::size_t realtimeSet = 0;
    double elapsedSeconds = 0;
};

// The meter's answer frame to one complete request, or nothing for a request it does not know.
std::optional<Bytes> answerFor(const Bytes &request, const MeterState &meter);

} // namespace metersim
