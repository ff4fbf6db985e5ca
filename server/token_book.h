#pragma once

#include "draw_store.h"

#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

namespace zorlith {

// The clients' tokens: a fresh one per init, alive until a day passes without its use. Kept in
// memory for the calls and in the store so that a restart of the service does not log every
// client out. Both are bounded: beyond the bounds the least recently used tokens go.
class TokenBook {
public:
    static constexpr int64_t kIdleLife = 24 * 3600;
    static constexpr size_t kInMemory = 65536;
    static constexpr size_t kStored = 262144;
    // A use is written to the store at most this often per token; after a restart a token may
    // therefore expire this much early.
    static constexpr int64_t kStoreTouchEvery = 600;

    explicit TokenBook(DrawStore& store) : store_(store) {}

    // Times are Unix seconds.
    std::string issue(int64_t now);
    // True when the token is known and not idle for longer than kIdleLife; renews its life.
    bool use(const std::string& token, int64_t now);
    void sweep(int64_t now);

    size_t inMemory() const;

private:
    struct Entry {
        int64_t lastUse = 0;
        int64_t storedUse = 0;
        std::list<std::string>::iterator age; // position in byUse_
    };

    enum class InMemory;
    InMemory useInMemory(const std::string& token, int64_t now);
    void rememberLocked(const std::string& token, int64_t lastUse, int64_t storedUse);

    DrawStore& store_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Entry> tokens_;
    std::list<std::string> byUse_; // least recently used first
};

} // namespace zorlith
