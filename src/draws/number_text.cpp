#include "draws/number_text.h"

#include <limits>

namespace zorlith {

int32_t TextToInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kLimit) {
            return 0;
        }
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) {
        return 0;
    }
    return static_cast<int32_t>(value);
}

std::string IntToText(int64_t value) {
    return std::to_string(value);
}

} // namespace zorlith
