#include "link/Responses.h"

#include <algorithm>

FrameCheck checkFrame(const uint8_t *bytes, int count) {
    const int start = int(std::find(bytes, bytes + count, ResponseStart) - bytes);
    const int available = count - start;
    if (available == 0)
        return {FrameVerdict::NoFrame, start, 0, 0};
    // Until the length byte is in, the frame is at least as long as the shortest one.
    if (available <= LengthOffset)
        return {FrameVerdict::Incomplete, start, 0, FrameOverhead - available};
    const uint8_t *frame = bytes + start;
    const int length = frameLengthFromByte(frame[LengthOffset]);
    if (!isFrameLength(length))
        return {FrameVerdict::BadLength, start, length, 0};
    if (length > available)
        return {FrameVerdict::Incomplete, start, length, length - available};
    if (frame[StatusOffset] != 0)
        return {FrameVerdict::BadStatus, start, length, 0};
    if (frameChecksum(frame, length - 1) != frame[length - 1])
        return {FrameVerdict::BadChecksum, start, length, 0};
    return {FrameVerdict::Verified, start, length, 0};
}

int recordsInBlock(int length) {
    return (length - FrameOverhead) / RecordSize;
}

int16_t downloadRecordCount(const uint8_t *frame, int length) {
    const int reported = length == FrameOverhead + 1 ? frame[PayloadOffset]
                                                     : frame[PayloadOffset + 1] * 256 + frame[PayloadOffset];
    return int16_t(std::min(reported, int(MaxDownloadRecords)));
}
