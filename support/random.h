// Random numbers from a range, drawn from the facility's generator (fixed seed).
#pragma once

#include <cstdint>

namespace chartest {

// LO + trunc(r * (HI - LO + 1)), r one value of RANDOM_UNIT; the width is formed in
// 32-bit arithmetic (it wraps), the product in floating point.
int32_t RANDO(int32_t LO, int32_t HI);
// LO + trunc(r * (HI - LO + 1.0)): LO plus a whole number of steps.
double RANDOFLOAT(double LO, double HI);

}  // namespace chartest
