#include "predict/random_source.h"

#include <algorithm>
#include <utility>

namespace zorlith {
namespace {

uint32_t randomState = 1;

int32_t RawDraw() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int32_t>((randomState >> 16) & 0x7FFFu);
}

} // namespace

void SeedRandom(int32_t seed) {
    randomState = static_cast<uint32_t>(seed);
}

int32_t RandomInRange(int32_t lo, int32_t hi) {
    lo = std::max(lo, 0);
    hi = std::max(hi, 0);
    if (hi < lo) {
        std::swap(lo, hi);
    }
    if (lo == hi) {
        return lo;
    }
    const int64_t span = int64_t{hi} - lo + 1;
    return static_cast<int32_t>(lo + RawDraw() % span);
}

void ResetRandom() {
    randomState = 1;
}

} // namespace zorlith
