#include "exchange_keys.h"

#include "draw_making.h"

#include <algorithm>
#include <vector>

namespace zorlith {

namespace {

constexpr size_t kKeyLength = 16;

} // namespace

std::string ExchangeKeys::issueKey(const std::string& address, TimePoint now) {
    std::string key = SecureAlphanumeric(kKeyLength);
    std::lock_guard lock(mutex_);
    if (keyCount_ >= kKeys) {
        sweepKeysLocked(now);
    }
    if (keyCount_ >= kKeys) {
        dropOldestKeyLocked();
    }
    auto& outstanding = keys_[address];
    outstanding.push_back({key, now + kKeyLife});
    ++keyCount_;
    if (outstanding.size() > kKeysPerAddress) {
        outstanding.pop_front();
        --keyCount_;
    }
    return key;
}

void ExchangeKeys::dropOldestKeyLocked() {
    const auto oldest = std::min_element(keys_.begin(), keys_.end(), [](auto& a, auto& b) {
        return a.second.front().expires < b.second.front().expires;
    });
    oldest->second.pop_front();
    --keyCount_;
    if (oldest->second.empty()) {
        keys_.erase(oldest);
    }
}

ExchangeKeys::KeyOutcome
ExchangeKeys::useKey(const std::string& address, TimePoint now,
                     const std::function<bool(std::string_view key)>& opens) {
    // The keys are tried outside the lock, so that one call's attempts never hold up the
    // others; only taking the opening key away is done under it.
    std::vector<std::string> live;
    {
        std::lock_guard lock(mutex_);
        const auto found = keys_.find(address);
        if (found == keys_.end()) {
            return KeyOutcome::NoLiveKey;
        }
        auto& outstanding = found->second;
        keyCount_ -=
            std::erase_if(outstanding, [now](const Key& key) { return key.expires <= now; });
        if (outstanding.empty()) {
            keys_.erase(found);
            return KeyOutcome::NoLiveKey;
        }
        for (auto key = outstanding.rbegin(); key != outstanding.rend(); ++key) {
            live.push_back(key->text);
        }
    }
    const auto opening =
        std::find_if(live.begin(), live.end(), [&](const std::string& key) { return opens(key); });
    if (opening == live.end()) {
        return KeyOutcome::NoneOpened;
    }
    std::lock_guard lock(mutex_);
    const auto found = keys_.find(address);
    if (found == keys_.end()) {
        return KeyOutcome::NoLiveKey;
    }
    auto& outstanding = found->second;
    const auto key = std::find_if(outstanding.begin(), outstanding.end(),
                                  [&](const Key& k) { return k.text == *opening; });
    // Gone meanwhile: a concurrent call with the same body used it first.
    if (key == outstanding.end()) {
        return KeyOutcome::NoLiveKey;
    }
    outstanding.erase(key);
    --keyCount_;
    if (outstanding.empty()) {
        keys_.erase(found);
    }
    return KeyOutcome::Opened;
}

void ExchangeKeys::sweep(TimePoint now) {
    std::lock_guard lock(mutex_);
    sweepKeysLocked(now);
}

void ExchangeKeys::sweepKeysLocked(TimePoint now) {
    for (auto entry = keys_.begin(); entry != keys_.end();) {
        keyCount_ -=
            std::erase_if(entry->second, [now](const Key& key) { return key.expires <= now; });
        entry = entry->second.empty() ? keys_.erase(entry) : std::next(entry);
    }
}

size_t ExchangeKeys::addressCount() const {
    std::lock_guard lock(mutex_);
    return keys_.size();
}

size_t ExchangeKeys::keyCount() const {
    std::lock_guard lock(mutex_);
    return keyCount_;
}

} // namespace zorlith
