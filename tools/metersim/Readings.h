#pragma once

#include <array>
#include <cstdint>

namespace metersim {

// One coded reading as the meter sends it: item code, unit code, six value bytes.
using ReadingBlock = std::array<uint8_t, 8>;

namespace item {
constexpr uint8_t I1 = 0; // the meter's table names code 0 plain "I"
constexpr uint8_t I2 = 1;
constexpr uint8_t I3 = 2;
constexpr uint8_t In = 3;
constexpr uint8_t U1 = 4;
constexpr uint8_t P1 = 11;
constexpr uint8_t Q1 = 15;
constexpr uint8_t S1 = 19;
constexpr uint8_t PF1 = 23;
constexpr uint8_t Time = 46;
} // namespace item

namespace unit {
constexpr uint8_t A = 1;
constexpr uint8_t V = 3;
constexpr uint8_t W = 7;
constexpr uint8_t KW = 8;
constexpr uint8_t var = 9;
constexpr uint8_t Kvar = 10;
constexpr uint8_t VA = 11;
constexpr uint8_t KVA = 12;
constexpr uint8_t mins = 15;
constexpr uint8_t hmin = 16;
constexpr uint8_t none = 19; // a single space
} // namespace unit

// Six characters, right-aligned, of scaled / 10^decimals with exactly `decimals` digits after the point,
// e.g. (2301, 1) -> " 230.1". Throws std::range_error when the number needs more than six characters.
std::array<char, 6> fixedPointText(long scaled, int decimals);

ReadingBlock valueBlock(uint8_t itemCode, uint8_t unitCode, long scaled, int decimals);
// A time reading carries a big-endian count of seconds in value bytes 0..3; bytes 4 and 5 are unused.
ReadingBlock timeBlock(uint8_t unitCode, uint32_t seconds);
ReadingBlock emptyBlock();

} // namespace metersim
