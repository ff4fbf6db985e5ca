#pragma once

#include <cstdint>

namespace zorlith {

// The one seeded generator of the process, shared by the predictors and the plan engine: a
// 32-bit linear congruential generator with fixed constants, so that a seed yields the same
// sequence on every machine. Its state is 1 until the first SeedRandom.
void SeedRandom(int32_t seed);

// lo + one raw draw modulo the span; lo itself, without drawing, when the span is one value.
// Negative bounds are raised to 0 and reversed bounds swapped.
int32_t RandomInRange(int32_t lo, int32_t hi);

// Puts the state back to its start value, as in a fresh process.
void ResetRandom();

} // namespace zorlith
