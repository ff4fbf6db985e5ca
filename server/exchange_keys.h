#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zorlith {

// The outstanding exchange keys, per client address. They expire and are capped, so that a flood
// of key exchanges cannot exhaust the service's memory.
class ExchangeKeys {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    static constexpr std::chrono::seconds kKeyLife{60};
    // Many clients may share one address (all of loopback, a NAT), so one address may hold many
    // outstanding keys; kKeys bounds them all together.
    static constexpr size_t kKeysPerAddress = 1024;
    static constexpr size_t kKeys = 65536;

    enum class KeyOutcome { NoLiveKey, NoneOpened, Opened };

    // A fresh 16-character key. Beyond kKeysPerAddress outstanding keys of the address, or kKeys
    // in all, the oldest key of the address (or of all addresses) is dropped.
    std::string issueKey(const std::string& address, TimePoint now);
    // Tries the address's live keys newest first; the first key for which `opens` returns true
    // is consumed. Keys that fail stay, so a failed attempt costs the caller nothing. A key that
    // a concurrent call consumed in the meantime counts as used (NoLiveKey).
    KeyOutcome useKey(const std::string& address, TimePoint now,
                      const std::function<bool(std::string_view key)>& opens);

    // Drops every expired key.
    void sweep(TimePoint now);

    size_t addressCount() const;
    size_t keyCount() const;

private:
    struct Key {
        std::string text;
        TimePoint expires;
    };

    void sweepKeysLocked(TimePoint now);
    void dropOldestKeyLocked();

    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::deque<Key>> keys_; // oldest first
    size_t keyCount_ = 0;
};

} // namespace zorlith
