#pragma once

#include "download.h"
#include "executable_check.h"
#include "update_request.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace zorlith {

enum class UpdateStep { WaitingForExit, Downloading, Checking, Installing, Restarting };

// What the progress window shows; called on the thread that runs the update.
class UpdateObserver {
public:
    virtual ~UpdateObserver() = default;
    virtual void step(UpdateStep current) = 0;
    virtual void downloaded(int64_t received, int64_t expected) = 0;
};

struct UpdateSettings {
    // Where the program lives: the updater's own directory.
    std::filesystem::path directory;
    MachineIdentity machine;
    DownloadLimits limits;
    // How long the old program may take to end after the hand-off.
    std::chrono::milliseconds exitWait{std::chrono::seconds(30)};
    // The new program must not fail within this time of its start, or the old one comes back.
    std::chrono::milliseconds startWatch{std::chrono::milliseconds(1500)};
};

struct UpdateResult {
    bool replaced = false;
    // Empty on success; otherwise the one message for the user.
    std::string message;
};

// The whole update: waits for the old program to end, downloads the new one beside it, checks
// it, swaps it in with one rename while the old file stays as a backup, starts it, and drops the
// backup once it runs. Any failure leaves the old program in place, byte for byte.
UpdateResult RunUpdate(const UpdateRequest& request, const UpdateSettings& settings,
                       UpdateObserver& observer, const std::atomic<bool>* cancel = nullptr);

// The backup of the program while its replacement starts.
std::filesystem::path BackupPath(const std::filesystem::path& executable);

} // namespace zorlith
