#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorlith {

struct DrawdOptions {
    std::string host = "127.0.0.1";
    int port = 19200;
    std::string dbPath; // empty: the user's data directory
    int64_t period = 300;
    std::string importPath;
    std::string announceVersion = "1.15";
    std::string proupUrl;
};

// Nullopt with `error` filled for an unknown option, a missing value or a value out of range.
std::optional<DrawdOptions> ParseDrawdOptions(const std::vector<std::string>& args,
                                              std::string& error);

// $XDG_DATA_HOME/zorlith/drawd.sqlite, or ~/.local/share/zorlith/drawd.sqlite; the directory is
// created when missing.
std::string DefaultDbPath();

} // namespace zorlith
