#pragma once

#include "draw_making.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace zorlith {

// The draws and the clients' tokens on disk: SQLite in WAL mode behind one connection, so there
// is exactly one writer; calls from several threads take turns. A lock file next to the
// database keeps a second service away from the same draws.
class DrawStore {
public:
    // Null with `error` filled when the file cannot be opened, locked or prepared.
    static std::unique_ptr<DrawStore> Open(const std::string& path, std::string& error);
    ~DrawStore();
    DrawStore(const DrawStore&) = delete;
    DrawStore& operator=(const DrawStore&) = delete;

    bool empty();
    int64_t count();
    // The newest `limit` draws, newest first.
    std::vector<StoredDraw> newest(size_t limit);
    // Appends the draws in one transaction: all of them are durable, or none.
    bool append(const std::vector<StoredDraw>& draws, std::string& error);

    // Tokens with the Unix time of their last use.
    bool saveToken(const std::string& token, int64_t lastUse);
    std::optional<int64_t> tokenLastUse(const std::string& token);
    // Forgets tokens last used before `cutoff`, and beyond the `keep` most recently used ones.
    void forgetTokens(int64_t cutoff, size_t keep);

private:
    DrawStore(sqlite3* db, int lockFd) : db_(db), lockFd_(lockFd) {}
    bool execute(const char* sql, std::string& error);
    bool appendLocked(const std::vector<StoredDraw>& draws, std::string& error);

    std::mutex mutex_;
    sqlite3* db_;
    int lockFd_;
};

} // namespace zorlith
