#include "MeterContent.h"

#include "Readings.h"

#include <array>
#include <cmath>
#include <complex>

namespace metersim {

namespace {

enum class Quantity { Active, Reactive, Apparent, PowerFactor, Voltage, Current, Neutral, Time };

// phase 0..2 is L1..L3; kTotal stands for the sum over the three phases.
constexpr int kTotal = 3;

struct Shown {
    Quantity quantity;
    int phase;
};

constexpr std::array<std::array<Shown, 4>, kRealtimeSets> kSets{{
    {{{Quantity::Active, 0}, {Quantity::Reactive, 0}, {Quantity::Apparent, 0}, {Quantity::PowerFactor, 0}}},
    {{{Quantity::Active, 1}, {Quantity::Reactive, 1}, {Quantity::Apparent, 1}, {Quantity::PowerFactor, 1}}},
    {{{Quantity::Active, 2}, {Quantity::Reactive, 2}, {Quantity::Apparent, 2}, {Quantity::PowerFactor, 2}}},
    {{{Quantity::Active, kTotal},
      {Quantity::Reactive, kTotal},
      {Quantity::Apparent, kTotal},
      {Quantity::PowerFactor, kTotal}}},
    {{{Quantity::Voltage, 0}, {Quantity::Voltage, 1}, {Quantity::Voltage, 2}, {Quantity::Current, 0}}},
    {{{Quantity::Current, 1}, {Quantity::Current, 2}, {Quantity::Neutral, 0}, {Quantity::Time, 0}}},
}};

struct PhaseState {
    double volts;
    double amps;
    double powerFactor;
};

// Each phase drifts at its own pace so that consecutive answers differ and the phases never agree.
PhaseState phaseAt(int phase, double t) {
    return {230.0 + 2.0 * std::sin(0.21 * t + 2.1 * phase), 4.0 + 1.5 * std::sin(0.13 * t + 1.7 * phase),
            0.90 + 0.08 * std::sin(0.07 * t + 0.9 * phase)};
}

struct Powers {
    double active;
    double reactive;
    double apparent;
    double factor() const { return active / apparent; }
};

// For the total, S is the vector sum, so that P = S PF and P² + Q² = S² hold for it as for each phase.
Powers powersAt(int phase, double t) {
    if (phase != kTotal) {
        const PhaseState state = phaseAt(phase, t);
        const double apparent = state.volts * state.amps;
        return {apparent * state.powerFactor,
                apparent * std::sqrt(1.0 - state.powerFactor * state.powerFactor), apparent};
    }
    Powers total{0, 0, 0};
    for (int each = 0; each < kTotal; ++each) {
        const Powers powers = powersAt(each, t);
        total.active += powers.active;
        total.reactive += powers.reactive;
    }
    total.apparent = std::hypot(total.active, total.reactive);
    return total;
}

double neutralAmps(double t) {
    const double pi = std::acos(-1.0);
    std::complex<double> sum;
    for (int phase = 0; phase < kTotal; ++phase) {
        const PhaseState state = phaseAt(phase, t);
        sum += std::polar(state.amps, -2.0 * pi * phase / 3.0 - std::acos(state.powerFactor));
    }
    return std::abs(sum);
}

// The item codes of L1, L2, L3 and the total follow each other; per-phase powers are given in W, var and VA
// with one decimal, totals in kW, kvar and kVA with three.
ReadingBlock powerBlock(uint8_t firstItem, uint8_t phaseUnit, uint8_t totalUnit, int phase, double value) {
    const auto itemCode = static_cast<uint8_t>(firstItem + phase);
    if (phase == kTotal)
        return valueBlock(itemCode, totalUnit, std::lround(value), 3);
    return valueBlock(itemCode, phaseUnit, std::lround(value * 10), 1);
}

ReadingBlock shownBlock(const Shown &shown, double t) {
    const auto phaseCode = [&](uint8_t first) { return static_cast<uint8_t>(first + shown.phase); };
    switch (shown.quantity) {
    case Quantity::Active:
        return powerBlock(item::P1, unit::W, unit::KW, shown.phase, powersAt(shown.phase, t).active);
    case Quantity::Reactive:
        return powerBlock(item::Q1, unit::var, unit::Kvar, shown.phase, powersAt(shown.phase, t).reactive);
    case Quantity::Apparent:
        return powerBlock(item::S1, unit::VA, unit::KVA, shown.phase, powersAt(shown.phase, t).apparent);
    case Quantity::PowerFactor:
        return valueBlock(phaseCode(item::PF1), unit::none,
                          std::lround(powersAt(shown.phase, t).factor() * 1000), 3);
    case Quantity::Voltage:
        return valueBlock(phaseCode(item::U1), unit::V, std::lround(phaseAt(shown.phase, t).volts * 10), 1);
    case Quantity::Current:
        return valueBlock(phaseCode(item::I1), unit::A, std::lround(phaseAt(shown.phase, t).amps * 1000), 3);
    case Quantity::Neutral:
        return valueBlock(item::In, unit::A, std::lround(neutralAmps(t) * 1000), 3);
    case Quantity::Time: {
        const auto seconds = static_cast<uint32_t>(t);
        return timeBlock(seconds < 3600 ? unit::mins : unit::hmin, seconds);
    }
    }
    return emptyBlock();
}

void append(Bytes &payload, const ReadingBlock &block) {
    payload.insert(payload.end(), block.begin(), block.end());
}

} // namespace

Bytes realtimePayload(std::size_t set, double elapsedSeconds) {
    Bytes payload;
    for (const Shown &shown : kSets[set % kRealtimeSets])
        append(payload, shownBlock(shown, elapsedSeconds));
    return payload;
}

Bytes recordPayload(int index) {
    const int number = index + 1;
    const auto phase = static_cast<uint8_t>(index % 3);
    const auto seconds = static_cast<uint32_t>(number) * 60;
    Bytes payload;
    append(payload, timeBlock(seconds < 3600 ? unit::mins : unit::hmin, seconds));
    append(payload, valueBlock(static_cast<uint8_t>(item::U1 + phase), unit::V, 2200 + index % 200, 1));
    append(payload, valueBlock(static_cast<uint8_t>(item::I1 + phase), unit::A, 1000 + index % 1000, 3));
    append(payload, number % 5 == 0 ? emptyBlock()
                                    : valueBlock(static_cast<uint8_t>(item::PF1 + phase), unit::none,
                                                 800 + index % 200, 3));
    return payload;
}

} // namespace metersim
