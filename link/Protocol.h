#pragma once

// The meter protocol's vocabulary: frame layout, answer types and lengths, and the checksum.
// Requests and answers share the layout; a request's type names the answer it asks for.

#include "measure/ReadingBlock.h"

#include <cstdint>

constexpr uint8_t RequestStart = 0xA1;
constexpr uint8_t ResponseStart = 0xB1;

// Where the fields of a frame lie.
constexpr int StatusOffset = 2; // an answer's status byte: 0 for an accepted request
constexpr int LengthOffset = 3;
constexpr int TypeOffset = 4;
constexpr int PayloadOffset = 5;

// The length byte holds the whole frame's length less 2.
constexpr int frameLengthFromByte(uint8_t lengthByte) {
    return lengthByte + 2;
}
constexpr uint8_t lengthByteFor(int frameLength) {
    return uint8_t(frameLength - 2);
}

enum AnswerType : uint8_t {
    RecordBlockAnswer = 1,
    RecordCountAnswer = 2,
    ValueAnswer = 3,
    ParameterAnswer = 4,
    LinkCheckAnswer = 5,
    RealtimeAnswer = 6,
    // Sent by the meter on its own; no request asks for it, so it is never an answer.
    UnaskedNotice = 0xF1,
};

// What a link check carries both ways: the request's fields, and the answer's payload.
constexpr uint8_t LinkCheckFirst = 0x55;
constexpr uint8_t LinkCheckSecond = 0xAA;

// The longest answer the receive side holds, start byte to checksum.
constexpr int RxFrameSize = 121;

// Record numbers a request can address: 0..LastRecordNumber, at most RecordsPerBlock at a time.
constexpr int16_t LastRecordNumber = 200;
constexpr int16_t RecordsPerBlock = 3;

// An answer puts AnswerOverhead bytes (start, any byte, status, length, type, checksum) around
// its payload.
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

// The shortest answer each handler accepts: the one whose every byte it reads.
constexpr int shortestHandledAnswer(uint8_t type) {
    switch (type) {
    case RecordBlockAnswer:
        return recordBlockAnswerLength(1);
    case ValueAnswer:
        return OneByteAnswerLength;
    case LinkCheckAnswer:
        return TwoByteAnswerLength;
    case RealtimeAnswer:
        return RealtimeAnswerLength;
    default: // the count reads by length, type 4 reads nothing
        return AnswerOverhead;
    }
}

// Both directions close a frame with the XOR of every byte from offset 1 up to the one
// before the checksum; the start byte is left out.
inline uint8_t frameChecksum(const uint8_t *frame, int checksumOffset) {
    uint8_t checksum = 0;
    for (int offset = 1; offset < checksumOffset; ++offset)
        checksum ^= frame[offset];
    return checksum;
}
