#include "Answers.h"

#include "MeterContent.h"

#include <algorithm>

namespace metersim {

namespace {

enum RequestType : uint8_t {
    Records = 1,
    RecordCount = 2,
    Value = 3,
    Parameter = 4,
    LinkCheck = 5,
    Realtime = 6
};

// Request lengths by type; a request of a known type but another length is not answered.
std::size_t requestLength(uint8_t type) {
    switch (type) {
    case Records:
        return 10;
    case Parameter:
        return 7;
    case LinkCheck:
        return 8;
    default:
        return 6;
    }
}

int field16(const Bytes &request, std::size_t offset) {
    return request[offset] << 8 | request[offset + 1];
}

Bytes recordBlock(const Bytes &request, int recordCount) {
    const int start = field16(request, 5);
    const int wanted = std::min(field16(request, 7), kMaxRecordsPerBlock);
    const int available = std::max(0, std::min(wanted, recordCount - start));
    Bytes payload;
    for (int index = start; index < start + available; ++index) {
        const Bytes record = recordPayload(index);
        payload.insert(payload.end(), record.begin(), record.end());
    }
    return payload;
}

Bytes recordCountPayload(const MeterState &meter) {
    const auto count = static_cast<unsigned>(meter.recordCount);
    if (meter.longCount || count > 0xFF)
        return {static_cast<uint8_t>(count & 0xFF), static_cast<uint8_t>(count >> 8)};
    return {static_cast<uint8_t>(count)};
}

} // namespace

std::optional<Bytes> answerFor(const Bytes &request, const MeterState &meter) {
    const uint8_t type = request[4];
    if (type < Records || type > Realtime || request.size() != requestLength(type))
        return std::nullopt;
    switch (type) {
    case Records:
        return buildResponse(type, recordBlock(request, meter.recordCount));
    case RecordCount:
        return buildResponse(type, recordCountPayload(meter));
    case Value:
        return buildResponse(type, {0x00});
    case Parameter:
        return buildResponse(type, {request[5]});
    case LinkCheck:
        return buildResponse(type, {0x55, 0xAA});
    default:
        return buildResponse(type, realtimePayload(meter.realtimeSet, meter.elapsedSeconds));
    }
}

} // namespace metersim
