#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <vector>

#include "platform/screen.h"
#include "support/random.h"

namespace chartest {
namespace {

constexpr int32_t MIN = std::numeric_limits<int32_t>::min();
constexpr int32_t MAX = std::numeric_limits<int32_t>::max();

// Every value that `draw` gives in 2000 calls.
template <class T, class F>
std::set<T> outcomes(F draw) {
    std::set<T> seen;
    for (int i = 0; i < 2000; ++i) seen.insert(draw());
    return seen;
}

TEST(Rando, WholeNumbersFromTheRange) {
    const struct {
        int32_t lo, hi;
        std::set<int32_t> values;
    } cases[] = {
        {1, 6, {1, 2, 3, 4, 5, 6}},
        {5, 5, {5}},
        {5, 4, {5}},          // width 0
        {5, 1, {3, 4, 5}},    // negative width, truncated toward zero
        {-2, 1, {-2, -1, 0, 1}},
        {MIN, MAX, {MIN}},    // the width wraps to 0 in 32 bits
        {MAX - 1, MAX, {MAX - 1, MAX}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcomes<int32_t>([&] { return RANDO(c.lo, c.hi); }), c.values)
            << c.lo << ".." << c.hi;
}

TEST(RandoFloat, LowEndPlusWholeSteps) {
    const struct {
        double lo, hi;
        std::set<double> values;
    } cases[] = {
        {0.5, 2.5, {0.5, 1.5, 2.5}},
        {0.0, 2.5, {0.0, 1.0, 2.0, 3.0}},  // the last step may lie above HI
        {-1.0, -1.0, {-1.0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcomes<double>([&] { return RANDOFLOAT(c.lo, c.hi); }), c.values)
            << c.lo << ".." << c.hi;
}

TEST(Random, EachCallTakesExactlyOneValue) {
    // A forked child starts from the same generator state: it reports the values of
    // plain draws, and the parent computes from them what its own calls must give.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    constexpr int kDraws = 200;
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        close(fds[0]);
        for (int i = 0; i < kDraws; ++i) {
            const double r = RANDOM_UNIT();
            if (write(fds[1], &r, sizeof r) != sizeof r) _exit(1);
        }
        _exit(0);
    }
    close(fds[1]);
    std::vector<double> r(kDraws);
    for (double& v : r) ASSERT_EQ(read(fds[0], &v, sizeof v), static_cast<ssize_t>(sizeof v));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);

    for (int i = 0; i < kDraws; i += 2) {
        EXPECT_EQ(RANDO(-1000, 1000000), static_cast<int32_t>(std::trunc(r[i] * 1001001)) - 1000);
        EXPECT_EQ(RANDOFLOAT(0.25, 1e6), std::trunc(r[i + 1] * (1e6 - 0.25 + 1.0)) + 0.25);
    }
}

}  // namespace
}  // namespace chartest
