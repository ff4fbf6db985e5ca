#include "cli/command_line.h"

#include <algorithm>
#include <charconv>

namespace zorlith::cli {

std::optional<Options> Options::Parse(std::span<const std::string_view> args,
                                      std::initializer_list<std::string_view> known,
                                      std::initializer_list<std::string_view> flags,
                                      UsageError& error) {
    Options options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!arg.starts_with("--") || arg.size() == 2) {
            error.message = "unexpected argument: " + std::string(arg);
            return std::nullopt;
        }
        const size_t equals = arg.find('=');
        const std::string_view name =
            arg.substr(2, equals == std::string_view::npos ? arg.npos : equals - 2);
        const bool isFlag = std::ranges::find(flags, name) != flags.end();
        if (!isFlag && std::ranges::find(known, name) == known.end()) {
            error.message = "unknown option: --" + std::string(name);
            return std::nullopt;
        }
        std::string value;
        if (isFlag) {
            if (equals != std::string_view::npos) {
                error.message = "option --" + std::string(name) + " takes no value";
                return std::nullopt;
            }
        } else if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error.message = "option --" + std::string(name) + " needs a value";
            return std::nullopt;
        }
        options.values_[std::string(name)] = std::move(value);
    }
    return options;
}

std::string Options::value(std::string_view name) const {
    const auto found = values_.find(std::string(name));
    return found == values_.end() ? std::string() : found->second;
}

std::optional<int64_t> ParseWholeInteger(std::string_view text, int64_t min, int64_t max) {
    const bool negative = text.starts_with('-');
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() ||
        !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int64_t value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size() || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

} // namespace zorlith::cli
