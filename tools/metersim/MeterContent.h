#pragma once

#include "Frames.h"

#include <cstddef>

namespace metersim {

constexpr std::size_t kRealtimeSets = 6;

// The four readings of a realtime answer, 32 bytes. The set (taken modulo kRealtimeSets) chooses which
// items are shown: P1 Q1 S1 PF1 / P2 Q2 S2 PF2 / P3 Q3 S3 PF3 / P Q S PF / U1 U2 U3 I / I2 I3 In TIME.
// The values follow a slowly drifting three-phase load: U about 230 V, I 2.5..5.5 A, PF 0.82..0.98,
// S = U I, P = S PF per phase, the total S being the vector sum; TIME is the elapsed time.
Bytes realtimePayload(std::size_t set, double elapsedSeconds);

// Stored record number `index` (counting from 0), 32 bytes; with N = index + 1 and phase p = index mod 3:
// TIME of N minutes (unit mins below an hour, hmin from then on), U(p+1) = 220.0 + (index mod 200) / 10 V,
// I(p+1) = 1.000 + (index mod 1000) / 1000 A, PF(p+1) = 0.800 + (index mod 200) / 1000, and the PF block
// empty when N is a multiple of 5.
Bytes recordPayload(int index);

} // namespace metersim
