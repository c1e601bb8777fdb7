#pragma once

#include "measure/ReadingBlock.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

// Record numbers a request can address: 0..LastRecordNumber, at most RecordsPerBlock at a time.
constexpr int16_t LastRecordNumber = 200;
constexpr int16_t RecordsPerBlock = 3;

// Lengths of the meter's answers. A response frame puts AnswerOverhead bytes (start, any byte,
// status, length, type, checksum) around its payload.
constexpr int AnswerOverhead = 6;
// One payload byte: the short record count, and the answers to types 3 and 4.
constexpr int OneByteAnswerLength = AnswerOverhead + 1;
// Two payload bytes: the link check's 0x55 0xAA, and the long record count (low byte first).
constexpr int TwoByteAnswerLength = AnswerOverhead + 2;
// Four reading blocks.
constexpr int RealtimeAnswerLength = AnswerOverhead + 4 * ReadingBlockSize;
constexpr int recordBlockAnswerLength(int records) {
    return AnswerOverhead + RecordSize * records;
}

struct Request {
    QByteArray frame;
    uint8_t answerLength; // bytes the meter's answer must have before it is examined
    int16_t records;      // records asked for (type 1 only), after capping
};

// The request frame of a type 1..6 with its answer length; no request for any other type.
// Start and count matter only to type 1 and are capped to the addressable records
// (a negative value counts as 0); param matters only to type 4.
std::optional<Request> buildRequest(uint8_t command, uint8_t type, int16_t start, int16_t count,
                                    uint8_t param);
