// Random numbers from a range, drawn from the facility's generator.
#include "support/random.h"

#include <cmath>

#include "platform/screen.h"

namespace chartest {

int32_t RANDO(int32_t LO, int32_t HI) {
    const double r = RANDOM_UNIT();
    // The width wraps in 32 bits: the whole range gives 0, and so always LO.
    const int32_t n = static_cast<int32_t>(static_cast<uint32_t>(HI) - static_cast<uint32_t>(LO) + 1u);
    const int32_t steps = static_cast<int32_t>(std::trunc(r * n));
    // The sum wraps too, rather than overflow, when a wrapped width was negative.
    return static_cast<int32_t>(static_cast<uint32_t>(steps) + static_cast<uint32_t>(LO));
}

double RANDOFLOAT(double LO, double HI) {
    const double r = RANDOM_UNIT();
    const double w = HI - LO + 1.0;
    return std::trunc(r * w) + LO;
}

}  // namespace chartest
