#include "Readings.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace metersim {

std::array<char, 6> fixedPointText(long scaled, int decimals) {
    long divisor = 1;
    for (int i = 0; i < decimals; ++i)
        divisor *= 10;
    const long magnitude = std::labs(scaled);
    char text[32];
    const int length = decimals > 0 ? std::snprintf(text, sizeof text, "%s%ld.%0*ld", scaled < 0 ? "-" : "",
                                                    magnitude / divisor, decimals, magnitude % divisor)
                                    : std::snprintf(text, sizeof text, "%ld", scaled);
    if (length > 6)
        throw std::range_error("reading value does not fit six characters: " + std::string(text));
    std::array<char, 6> field;
    field.fill(' ');
    for (int i = 0; i < length; ++i)
        field[6 - length + i] = text[i];
    return field;
}

ReadingBlock valueBlock(uint8_t itemCode, uint8_t unitCode, long scaled, int decimals) {
    const std::array<char, 6> text = fixedPointText(scaled, decimals);
    ReadingBlock block{itemCode, unitCode};
    for (std::size_t i = 0; i < text.size(); ++i)
        block[2 + i] = static_cast<uint8_t>(text[i]);
    return block;
}

ReadingBlock timeBlock(uint8_t unitCode, uint32_t seconds) {
    return {item::Time,
            unitCode,
            static_cast<uint8_t>(seconds >> 24),
            static_cast<uint8_t>(seconds >> 16),
            static_cast<uint8_t>(seconds >> 8),
            static_cast<uint8_t>(seconds),
            ' ',
            ' '};
}

ReadingBlock emptyBlock() {
    ReadingBlock block;
    block.fill(' ');
    return block;
}

} // namespace metersim
