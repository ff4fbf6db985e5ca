#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorlith::cli {

// A refusal of the command line: one line for standard error, exit code 2.
struct UsageError {
    std::string message;
};

// "--name value" and "--name=value" options. Every name must be among `known`; the last
// occurrence of a name wins. Flags (names in `flags`) take no value.
class Options {
public:
    static std::optional<Options> Parse(std::span<const std::string_view> args,
                                        std::initializer_list<std::string_view> known,
                                        std::initializer_list<std::string_view> flags,
                                        UsageError& error);

    bool has(std::string_view name) const { return values_.contains(std::string(name)); }
    std::string value(std::string_view name) const;

private:
    std::map<std::string, std::string> values_;
};

// A whole decimal integer (optional "-") within [min, max]; nothing else is accepted.
std::optional<int64_t> ParseWholeInteger(std::string_view text, int64_t min, int64_t max);

} // namespace zorlith::cli
