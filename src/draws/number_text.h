#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zorlith {

// Reads an optional "-" and the leading ASCII digits that follow; anything after them is
// ignored. No digits, or a value outside the signed 32-bit range, reads as 0 so that a bad
// text can never wrap into a plausible number.
int32_t TextToInt(std::string_view text);

// Plain decimal form: no leading zeros, "-" for negatives.
std::string IntToText(int64_t value);

// 32-bit two's-complement addition, the arithmetic of every seed.
constexpr int32_t WrappingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

} // namespace zorlith
