#include "link/Requests.h"

#include <algorithm>
#include <vector>

namespace {

constexpr uint8_t ExtendedCommand = 0xFF; // types 3 and 4 carry it instead of the caller's command

void appendWord(std::vector<uint8_t> &frame, int16_t value) {
    frame.push_back(uint8_t(value >> 8));
    frame.push_back(uint8_t(value & 0xFF));
}

} // namespace

std::optional<Request> buildRequest(uint8_t command, uint8_t type, int16_t start, int16_t count,
                                    uint8_t param) {
    const int16_t firstRecord = std::clamp<int16_t>(start, 0, LastRecordNumber);
    const int16_t recordsLeft = int16_t(LastRecordNumber + 1 - firstRecord);
    const int16_t records = std::min({std::max<int16_t>(count, 0), RecordsPerBlock, recordsLeft});

    std::vector<uint8_t> fields;
    uint8_t answerLength = 0;
    switch (type) {
    case 1:
        appendWord(fields, firstRecord);
        appendWord(fields, records);
        answerLength = uint8_t(recordBlockAnswerLength(records));
        break;
    case 2:
    case 3:
        answerLength = OneByteAnswerLength;
        break;
    case 4:
        fields.push_back(param);
        answerLength = OneByteAnswerLength;
        break;
    case 5:
        fields = {LinkCheckFirst, LinkCheckSecond};
        answerLength = TwoByteAnswerLength;
        break;
    case 6:
        answerLength = RealtimeAnswerLength;
        break;
    default:
        return std::nullopt;
    }

    const bool extended = type == 3 || type == 4;
    std::vector<uint8_t> frame{RequestStart, 0x00, extended ? ExtendedCommand : command,
                               uint8_t(fields.size() + 4), type};
    frame.insert(frame.end(), fields.begin(), fields.end());
    frame.push_back(frameChecksum(frame.data(), int(frame.size())));
    return Request{QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size())),
                   answerLength, type == 1 ? records : int16_t(0)};
}
