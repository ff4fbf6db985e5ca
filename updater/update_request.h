#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zorlith {

// What the desktop tool hands over, in the order of the updater's command line.
struct UpdateRequest {
    std::string title;
    std::string runningVersion;
    std::string announcedVersion;
    std::string url;
    // The file name of the program to replace, in the updater's own directory.
    std::string executableName;
};

// The five arguments after the program name. Nullopt with `error` set when they do not fit: a
// wrong count, an empty address, or an executable name that is not a plain file name (a path
// would let the updater replace a file outside its own directory).
std::optional<UpdateRequest> ParseUpdaterArguments(const std::vector<std::string>& args,
                                                   std::string& error);

} // namespace zorlith
