#include "draws/text_split.h"

namespace zorlith {

std::vector<std::string> SplitText(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    if (separator.empty()) {
        if (!text.empty()) {
            pieces.emplace_back(text);
        }
        return pieces;
    }
    size_t separators = 0;
    for (size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, at + separator.size())) {
        ++separators;
    }
    pieces.reserve(separators + 1);
    size_t start = 0;
    for (size_t found = text.find(separator); found != std::string_view::npos;
         found = text.find(separator, start)) {
        pieces.emplace_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    if (start < text.size()) {
        pieces.emplace_back(text.substr(start));
    }
    return pieces;
}

} // namespace zorlith
