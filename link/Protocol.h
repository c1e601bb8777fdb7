#pragma once

// The meter protocol's vocabulary: frame layout, request types, answer lengths and the checksum.
//
// Requests and answers share one layout; L is the whole frame's length:
//
//   offset   0      1     2                3       4      5 .. L-2          L-1
//            start  any   command/status   L - 2   type   fields/payload    XOR of bytes 1 .. L-2
//
//   A1 00 01 06 05 55 AA FD   a link check: start 0xA1, command 1, length byte 6 (L = 8), type 5
//   B1 5A 00 06 05 55 AA A6   the meter's answer: start 0xB1, status 0, the same type and fields
//
// A request carries a command byte at offset 2, an answer a status byte (0: request accepted).
// An answer carries the type of the request it answers.

#include "measure/ReadingBlock.h"

#include <array>
#include <cstdint>

constexpr uint8_t RequestStart = 0xA1;
constexpr uint8_t ResponseStart = 0xB1;

// Where the fields of a frame lie.
constexpr int StatusOffset = 2;
constexpr int LengthOffset = 3;
constexpr int TypeOffset = 4;
constexpr int PayloadOffset = 5;

// Start, byte 1, command or status, length, type and checksum around a frame's fields.
constexpr int FrameOverhead = 6;
// The longest frame the receive side holds, start byte to checksum.
constexpr int RxFrameSize = 121;

// The length byte holds the whole frame's length less 2. An announced length outside what a
// frame can be marks a start byte that starts no frame; whether a frame is whole and whether
// its rest is still to come are both judged by this one rule.
constexpr int frameLengthFromByte(uint8_t lengthByte) {
    return lengthByte + 2;
}
constexpr bool isFrameLength(int length) {
    return length >= FrameOverhead && length <= RxFrameSize;
}
constexpr uint8_t lengthByteFor(int frameLength) {
    return uint8_t(frameLength - 2);
}

namespace Command {
// The command byte of every request this program sends.
constexpr uint8_t Standard = 0x01;
// Carried by types 3 and 4 whatever the caller passes.
constexpr uint8_t Extended = 0xFF;
} // namespace Command

namespace RequestType {
constexpr uint8_t Records = 1;     // stored records: a first record and how many, at most 3
constexpr uint8_t RecordCount = 2; // how many records are stored
constexpr uint8_t Value = 3;       // no fixed purpose here; its answer carries one value byte
constexpr uint8_t Parameter = 4;   // no fixed purpose here; carries one parameter byte
constexpr uint8_t LinkCheck = 5;
constexpr uint8_t Realtime = 6; // four readings
} // namespace RequestType

// Sent by the meter on its own; no request asks for it, so it is never an answer.
constexpr uint8_t NoticeType = 0xF1;

// What a link check carries both ways: the request's fields, and the answer's payload.
constexpr uint8_t LinkCheckFirst = 0x55;
constexpr uint8_t LinkCheckSecond = 0xAA;

// Record numbers a request can address: 0..LastRecordNumber, at most RecordsPerBlock at a time.
constexpr int16_t LastRecordNumber = 200;
constexpr int16_t RecordsPerBlock = 3;

constexpr int recordBlockAnswerLength(int records) {
    return FrameOverhead + RecordSize * records;
}

// The fields a request of a type carries after its type byte.
enum class RequestFields : uint8_t {
    None,
    RecordRange, // first record and count, 16 bits each, high byte first
    Parameter,   // the caller's parameter byte
    LinkCheck,   // LinkCheckFirst, LinkCheckSecond
};

// One request type and the answers it takes: the lengths the meter sends, in steps of
// lengthStep from the shortest (whole records for a block).
struct ExchangeKind {
    uint8_t type;
    bool extendedCommand;
    RequestFields fields;
    int shortestAnswer;
    int longestAnswer;
    int lengthStep;

    constexpr bool answerFits(int length) const {
        return length >= shortestAnswer && length <= longestAnswer &&
               (length - shortestAnswer) % lengthStep == 0;
    }
};

// Answers put FrameOverhead bytes around their payload: a record is 32 bytes, the realtime
// readings four blocks of 8, a count one byte or two (low byte first).
// clang-format off
constexpr std::array<ExchangeKind, 6> ExchangeKinds{{
    // type                    extended  request fields              shortest  longest  step
    {RequestType::Records,     false,    RequestFields::RecordRange, 38,       102,     32},
    {RequestType::RecordCount, false,    RequestFields::None,        7,        8,       1},
    {RequestType::Value,       true,     RequestFields::None,        7,        7,       1},
    {RequestType::Parameter,   true,     RequestFields::Parameter,   7,        7,       1},
    {RequestType::LinkCheck,   false,    RequestFields::LinkCheck,   8,        8,       1},
    {RequestType::Realtime,    false,    RequestFields::None,        38,       38,      1},
}};
// clang-format on
static_assert(ExchangeKinds[0].shortestAnswer == recordBlockAnswerLength(1) &&
              ExchangeKinds[0].longestAnswer == recordBlockAnswerLength(RecordsPerBlock) &&
              ExchangeKinds[0].lengthStep == RecordSize);
static_assert(ExchangeKinds[5].shortestAnswer == FrameOverhead + 4 * ReadingBlockSize);

// The row of a request type; none for a type no request has.
constexpr const ExchangeKind *exchangeKind(uint8_t type) {
    for (const ExchangeKind &kind : ExchangeKinds)
        if (kind.type == type)
            return &kind;
    return nullptr;
}

// Both directions close a frame with the XOR of every byte from offset 1 up to the one
// before the checksum; the start byte is left out.
inline uint8_t frameChecksum(const uint8_t *frame, int checksumOffset) {
    uint8_t checksum = 0;
    for (int offset = 1; offset < checksumOffset; ++offset)
        checksum ^= frame[offset];
    return checksum;
}
