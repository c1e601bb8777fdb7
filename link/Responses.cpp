#include "link/Responses.h"

#include <algorithm>

namespace {

int startOf(const uint8_t *bytes, int count) {
    return int(std::find(bytes, bytes + count, ResponseStart) - bytes);
}

} // namespace

FrameCheck checkFrame(const uint8_t *bytes, int count) {
    const int start = startOf(bytes, count);
    const int available = count - start;
    if (available < AnswerOverhead)
        return {FrameVerdict::NoFrame, start, 0};
    const uint8_t *frame = bytes + start;
    const int length = frameLengthFromByte(frame[LengthOffset]);
    if (length > available)
        return {FrameVerdict::Incomplete, start, 0};
    if (length < AnswerOverhead || length > RxFrameSize)
        return {FrameVerdict::BadLength, start, length};
    if (frame[StatusOffset] != 0)
        return {FrameVerdict::BadStatus, start, length};
    if (frameChecksum(frame, length - 1) != frame[length - 1])
        return {FrameVerdict::BadChecksum, start, length};
    return {FrameVerdict::Verified, start, length};
}

int bytesStillAwaited(const uint8_t *bytes, int count) {
    const int start = startOf(bytes, count);
    const int available = count - start;
    if (available <= LengthOffset)
        return 0;
    const int length = frameLengthFromByte(bytes[start + LengthOffset]);
    if (length < AnswerOverhead || length > RxFrameSize || length <= available)
        return 0;
    return length - available;
}

bool isHandledAnswer(uint8_t type, int length) {
    switch (type) {
    case RecordBlockAnswer:
        return (length - AnswerOverhead) % RecordSize == 0 && length >= shortestHandledAnswer(type) &&
               length <= recordBlockAnswerLength(RecordsPerBlock);
    case RecordCountAnswer:
    case ValueAnswer:
    case ParameterAnswer:
    case LinkCheckAnswer:
    case RealtimeAnswer:
        return length >= shortestHandledAnswer(type);
    default:
        return false;
    }
}

int recordsInBlock(int length) {
    return (length - AnswerOverhead) / RecordSize;
}

std::optional<int> announcedRecordCount(const uint8_t *frame, int length) {
    if (length == OneByteAnswerLength)
        return frame[PayloadOffset];
    if (length == TwoByteAnswerLength)
        return frame[PayloadOffset + 1] * 256 + frame[PayloadOffset];
    return std::nullopt;
}

std::optional<int16_t> downloadRecordCount(const uint8_t *frame, int length) {
    const std::optional<int> announced = announcedRecordCount(frame, length);
    if (!announced)
        return std::nullopt;
    return int16_t(std::min<int>(*announced, MaxDownloadRecords));
}
