#include "token_book.h"

#include "draw_making.h"

namespace zorlith {

namespace {

constexpr size_t kTokenLength = 32;

} // namespace

void TokenBook::rememberLocked(const std::string& token, int64_t lastUse, int64_t storedUse) {
    while (tokens_.size() >= kInMemory) {
        tokens_.erase(byUse_.front());
        byUse_.pop_front();
    }
    byUse_.push_back(token);
    tokens_[token] = {lastUse, storedUse, std::prev(byUse_.end())};
}

std::string TokenBook::issue(int64_t now) {
    std::string token = SecureAlphanumeric(kTokenLength);
    {
        std::lock_guard lock(mutex_);
        rememberLocked(token, now, now);
    }
    store_.saveToken(token, now);
    return token;
}

// The outcome of looking a token up in memory.
enum class TokenBook::InMemory { Live, LiveAndDueForStore, Expired, Absent };

TokenBook::InMemory TokenBook::useInMemory(const std::string& token, int64_t now) {
    std::lock_guard lock(mutex_);
    const auto found = tokens_.find(token);
    if (found == tokens_.end()) {
        return InMemory::Absent;
    }
    Entry& entry = found->second;
    if (now - entry.lastUse > kIdleLife) {
        byUse_.erase(entry.age);
        tokens_.erase(found);
        return InMemory::Expired;
    }
    entry.lastUse = now;
    byUse_.splice(byUse_.end(), byUse_, entry.age);
    if (now - entry.storedUse < kStoreTouchEvery) {
        return InMemory::Live;
    }
    entry.storedUse = now;
    return InMemory::LiveAndDueForStore;
}

bool TokenBook::use(const std::string& token, int64_t now) {
    if (token.empty() || token.size() > kTokenLength) {
        return false;
    }
    switch (useInMemory(token, now)) {
    case InMemory::Live:
        return true;
    case InMemory::Expired:
        return false;
    case InMemory::LiveAndDueForStore:
        break;
    case InMemory::Absent: {
        // Issued before a restart, or dropped from memory by the bound: the store decides.
        const auto lastUse = store_.tokenLastUse(token);
        if (!lastUse || now - *lastUse > kIdleLife) {
            return false;
        }
        std::lock_guard lock(mutex_);
        if (!tokens_.count(token)) {
            rememberLocked(token, now, now);
        }
        break;
    }
    }
    // Written outside the lock: other calls need not wait for the disk.
    store_.saveToken(token, now);
    return true;
}

void TokenBook::sweep(int64_t now) {
    {
        std::lock_guard lock(mutex_);
        // Least recently used first: the sweep stops at the first token still alive.
        while (!byUse_.empty() && now - tokens_.at(byUse_.front()).lastUse > kIdleLife) {
            tokens_.erase(byUse_.front());
            byUse_.pop_front();
        }
    }
    store_.forgetTokens(now - kIdleLife, kStored);
}

size_t TokenBook::inMemory() const {
    std::lock_guard lock(mutex_);
    return tokens_.size();
}

} // namespace zorlith
