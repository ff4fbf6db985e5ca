#include "cli/draw_rows_file.h"

#include "draws/text_split.h"

#include <cstdint>
#include <limits>

namespace zorlith::cli {
namespace {

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

bool IsCarNumber(std::string_view field) {
    return field.size() == 2 &&
           ((field[0] == '0' && field[1] >= '1' && field[1] <= '9') || field == "10");
}

std::string RowProblem(const std::vector<std::string>& fields) {
    if (fields.size() != 5) {
        return "expected 5 fields separated by \"|+|\", found " + std::to_string(fields.size());
    }
    if (!ParseWholeInteger(fields[1], kInt32Min, kInt32Max)) {
        return "the issue \"" + fields[1] + "\" is not a decimal issue number";
    }
    if (!IsDrawNumbersText(fields[3])) {
        return "the numbers \"" + fields[3] + "\" are not ten numbers 01 to 10 joined by \",\"";
    }
    return {};
}

} // namespace

bool IsDrawNumbersText(std::string_view numbers) {
    const auto fields = SplitText(numbers, ",");
    if (fields.size() != 10 || numbers.ends_with(',')) {
        return false;
    }
    for (const auto& field : fields) {
        if (!IsCarNumber(field)) {
            return false;
        }
    }
    return true;
}

std::optional<DrawRows> ParseDrawRowsText(std::string_view text, std::string_view fileName,
                                          UsageError& error) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    DrawRows rows;
    size_t lineNumber = 0;
    for (std::string line : SplitText(text, "\n")) {
        ++lineNumber;
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        auto fields = SplitText(line, "|+|");
        if (line.ends_with("|+|")) {
            fields.emplace_back();
        }
        if (const std::string problem = RowProblem(fields); !problem.empty()) {
            error.message =
                std::string(fileName) + ":" + std::to_string(lineNumber) + ": " + problem;
            return std::nullopt;
        }
        rows.push_back(std::move(fields));
    }
    if (rows.empty()) {
        error.message = std::string(fileName) + ": no draws";
        return std::nullopt;
    }
    return rows;
}

} // namespace zorlith::cli
