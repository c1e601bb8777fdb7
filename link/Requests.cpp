#include "link/Requests.h"

#include <algorithm>
#include <vector>

namespace {

void appendWord(std::vector<uint8_t> &frame, int16_t value) {
    frame.push_back(uint8_t(value >> 8));
    frame.push_back(uint8_t(value & 0xFF));
}

} // namespace

std::optional<Request> buildRequest(uint8_t command, uint8_t type, int16_t start, int16_t count,
                                    uint8_t param) {
    const ExchangeKind *kind = exchangeKind(type);
    if (!kind)
        return std::nullopt;
    const int16_t firstRecord = std::clamp<int16_t>(start, 0, LastRecordNumber);
    const int16_t recordsLeft = int16_t(LastRecordNumber + 1 - firstRecord);
    const int16_t records = std::min({std::max<int16_t>(count, 0), RecordsPerBlock, recordsLeft});

    std::vector<uint8_t> frame{RequestStart, 0x00, kind->extendedCommand ? Command::Extended : command, 0,
                               type};
    int answerLength = kind->shortestAnswer;
    switch (kind->fields) {
    case RequestFields::None:
        break;
    case RequestFields::RecordRange:
        appendWord(frame, firstRecord);
        appendWord(frame, records);
        answerLength = recordBlockAnswerLength(records);
        break;
    case RequestFields::Parameter:
        frame.push_back(param);
        break;
    case RequestFields::LinkCheck:
        frame.insert(frame.end(), {LinkCheckFirst, LinkCheckSecond});
        break;
    }
    frame[LengthOffset] = lengthByteFor(int(frame.size()) + 1);
    frame.push_back(frameChecksum(frame.data(), int(frame.size())));
    return Request{QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size())), type,
                   uint8_t(answerLength), kind->fields == RequestFields::RecordRange ? records : int16_t(0)};
}
