#include "exchange_keys.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zorlith {
namespace {

using namespace std::chrono_literals;
using KeyOutcome = ExchangeKeys::KeyOutcome;

const ExchangeKeys::TimePoint kStart{std::chrono::hours(1000)};

// The key that `useKey` consumed, "" when none.
std::string ConsumeAny(ExchangeKeys& registry, const std::string& address,
                       ExchangeKeys::TimePoint now) {
    std::string consumed;
    registry.useKey(address, now, [&](std::string_view key) {
        consumed = key;
        return true;
    });
    return consumed;
}

TEST(ExchangeKeysTest, AreTriedNewestFirstAndUsedOnce) {
    ExchangeKeys registry;
    const std::string older = registry.issueKey("a", kStart);
    const std::string newer = registry.issueKey("a", kStart + 1s);
    ASSERT_EQ(newer.size(), 16u);
    ASSERT_NE(older, newer);
    EXPECT_EQ(ConsumeAny(registry, "a", kStart + 2s), newer);
    EXPECT_EQ(ConsumeAny(registry, "a", kStart + 2s), older);
    EXPECT_EQ(registry.useKey("a", kStart + 2s, [](std::string_view) { return true; }),
              KeyOutcome::NoLiveKey);
}

TEST(ExchangeKeysTest, AFailedAttemptConsumesNoKey) {
    ExchangeKeys registry;
    const std::string key = registry.issueKey("a", kStart);
    std::vector<std::string> tried;
    EXPECT_EQ(registry.useKey("a", kStart,
                              [&](std::string_view k) {
                                  tried.emplace_back(k);
                                  return false;
                              }),
              KeyOutcome::NoneOpened);
    EXPECT_EQ(tried, std::vector<std::string>{key});
    EXPECT_EQ(ConsumeAny(registry, "a", kStart), key);
}

TEST(ExchangeKeysTest, OpensTheOlderKeyWhenOnlyItFits) {
    ExchangeKeys registry;
    const std::string older = registry.issueKey("a", kStart);
    const std::string newer = registry.issueKey("a", kStart);
    EXPECT_EQ(registry.useKey("a", kStart, [&](std::string_view k) { return k == older; }),
              KeyOutcome::Opened);
    EXPECT_EQ(ConsumeAny(registry, "a", kStart), newer);
}

TEST(ExchangeKeysTest, LiveForSixtySecondsAtMost) {
    ExchangeKeys registry;
    registry.issueKey("a", kStart);
    EXPECT_FALSE(ConsumeAny(registry, "a", kStart + 59s).empty());
    registry.issueKey("a", kStart);
    EXPECT_EQ(registry.useKey("a", kStart + 60s, [](std::string_view) { return true; }),
              KeyOutcome::NoLiveKey);
}

TEST(ExchangeKeysTest, BelongToTheirAddress) {
    ExchangeKeys registry;
    registry.issueKey("a", kStart);
    EXPECT_EQ(registry.useKey("b", kStart, [](std::string_view) { return true; }),
              KeyOutcome::NoLiveKey);
}

TEST(ExchangeKeysTest, AreBoundedPerAddress) {
    ExchangeKeys registry;
    const std::string first = registry.issueKey("a", kStart);
    for (size_t i = 0; i < ExchangeKeys::kKeysPerAddress; ++i) {
        registry.issueKey("a", kStart);
    }
    EXPECT_EQ(registry.keyCount(), ExchangeKeys::kKeysPerAddress);
    EXPECT_EQ(registry.useKey("a", kStart, [&](std::string_view k) { return k == first; }),
              KeyOutcome::NoneOpened);
}

TEST(ExchangeKeysTest, AreBoundedInAllDroppingTheOldest) {
    ExchangeKeys registry;
    const std::string oldest = registry.issueKey("first", kStart);
    const std::string kept = registry.issueKey("second", kStart + 1s);
    // One key more than the bound holds: exactly the oldest one goes.
    for (size_t i = 0; i + 1 < ExchangeKeys::kKeys; ++i) {
        registry.issueKey("10.0." + std::to_string(i % 5000), kStart + 2s);
    }
    EXPECT_EQ(registry.keyCount(), ExchangeKeys::kKeys);
    EXPECT_EQ(registry.useKey("first", kStart + 3s, [](std::string_view) { return true; }),
              KeyOutcome::NoLiveKey);
    EXPECT_EQ(ConsumeAny(registry, "second", kStart + 3s), kept);
    registry.sweep(kStart + 63s);
    EXPECT_EQ(registry.keyCount(), 0u);
    EXPECT_EQ(registry.addressCount(), 0u);
}

} // namespace
} // namespace zorlith
