#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zorlith {

// Bounds of one download, so that a dead or endless server cannot hold the updater forever.
struct DownloadLimits {
    long connectTimeoutSeconds = 10;
    long totalTimeoutSeconds = 600;
    // Slower than this many bytes per second for `stallSeconds` counts as a dead connection.
    long stallBytesPerSecond = 1024;
    long stallSeconds = 30;
    int64_t maxBytes = int64_t{512} * 1024 * 1024;
};

// Bytes received so far and the announced size (0 when the server does not say).
using DownloadProgress = std::function<void(int64_t received, int64_t expected)>;

// Writes the body of an http or https `url` to the file descriptor `fd`, following at most a few
// redirects (http and https only). Nullopt on success; otherwise why it failed, for the user.
// An HTTP error status, a body above `maxBytes` and a connection cut before the announced length
// all fail. Setting `cancel` ends the download as a failure.
std::optional<std::string> DownloadToFile(int fd, const std::string& url,
                                          const DownloadLimits& limits,
                                          const DownloadProgress& progress,
                                          const std::atomic<bool>* cancel = nullptr);

} // namespace zorlith
