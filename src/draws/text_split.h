#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorlith {

// Splits at every occurrence of separator. Empty pieces between separators count; the rest
// after the last separator is a piece only when it is not empty, so a trailing separator adds
// nothing and an empty text gives no pieces.
std::vector<std::string> SplitText(std::string_view text, std::string_view separator);

} // namespace zorlith
