#include "link/Responses.h"

#include "app/FormState.h"
#include "link/FrameChecksum.h"
#include "measure/ReadingBlock.h"

#include <algorithm>

FrameCheck checkFrame(const uint8_t *bytes, int count) {
    const int start = int(std::find(bytes, bytes + count, ResponseStart) - bytes);
    const int available = count - start;
    if (available < AnswerOverhead)
        return {FrameVerdict::NoFrame, start, 0};
    const uint8_t *frame = bytes + start;
    if (frame[3] > available - 2)
        return {FrameVerdict::Incomplete, start, 0};
    const int length = frame[3] + 2;
    if (length < AnswerOverhead || length > RxFrameSize)
        return {FrameVerdict::BadLength, start, length};
    if (frame[2] != 0)
        return {FrameVerdict::BadStatus, start, length};
    if (frameChecksum(frame, length - 1) != frame[length - 1])
        return {FrameVerdict::BadChecksum, start, length};
    return {FrameVerdict::Verified, start, length};
}

bool isHandledAnswer(uint8_t type, int length) {
    switch (type) {
    case 1:
        return (length - AnswerOverhead) % RecordSize == 0 && length > AnswerOverhead &&
               length <= recordBlockAnswerLength(RecordsPerBlock);
    case 3:
        return length >= OneByteAnswerLength;
    case 5:
        return length >= TwoByteAnswerLength;
    case 6:
        return length >= RealtimeAnswerLength;
    case 2:
    case 4:
    case 0xF1:
        return true;
    default:
        return false;
    }
}

int recordsInBlock(int length) {
    return (length - AnswerOverhead) / RecordSize;
}

std::optional<int16_t> downloadRecordCount(const uint8_t *frame, int length) {
    int reported = 0;
    if (length == OneByteAnswerLength)
        reported = frame[5];
    else if (length == TwoByteAnswerLength)
        reported = frame[6] * 256 + frame[5];
    else
        return std::nullopt;
    return int16_t(std::min<int>(reported, MaxDownloadRecords));
}
