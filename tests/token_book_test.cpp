#include "drawd_test_support.h"
#include "token_book.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

constexpr int64_t kStart = 1765436523;
constexpr int64_t kHour = 3600;

class TokenBookTest : public ::testing::Test {
protected:
    TokenBookTest() {
        std::string error;
        store_ = DrawStore::Open((dir_.path() / "draws.sqlite").string(), error);
    }

    testing::TempDir dir_;
    std::unique_ptr<DrawStore> store_;
};

TEST_F(TokenBookTest, ATokenLivesWhileUsedAndExpiresAfterADayIdle) {
    TokenBook tokens(*store_);
    const std::string token = tokens.issue(kStart);
    EXPECT_TRUE(tokens.use(token, kStart + 23 * kHour));
    EXPECT_TRUE(tokens.use(token, kStart + 46 * kHour));
    EXPECT_FALSE(tokens.use(token, kStart + 70 * kHour + 1));
    EXPECT_FALSE(tokens.use(token, kStart + 70 * kHour + 2));
    EXPECT_FALSE(tokens.use("unknown", kStart));
    EXPECT_FALSE(tokens.use("", kStart));
}

TEST_F(TokenBookTest, TokensAreFreshEveryTime) {
    TokenBook tokens(*store_);
    EXPECT_NE(tokens.issue(kStart), tokens.issue(kStart));
}

TEST_F(TokenBookTest, ATokenSurvivesARestartOfTheService) {
    std::string token;
    {
        TokenBook before(*store_);
        token = before.issue(kStart);
        ASSERT_TRUE(before.use(token, kStart + 10 * kHour));
    }
    TokenBook after(*store_);
    EXPECT_TRUE(after.use(token, kStart + 33 * kHour));
    EXPECT_FALSE(TokenBook(*store_).use(token, kStart + 58 * kHour));
}

TEST_F(TokenBookTest, MemoryIsBoundedAndTheStoreStillKnowsTheDropped) {
    TokenBook tokens(*store_);
    const std::string first = tokens.issue(kStart);
    for (size_t i = 0; i < TokenBook::kInMemory; ++i) {
        tokens.issue(kStart + 1);
    }
    EXPECT_EQ(tokens.inMemory(), TokenBook::kInMemory);
    EXPECT_TRUE(tokens.use(first, kStart + 2));
    EXPECT_EQ(tokens.inMemory(), TokenBook::kInMemory);
}

TEST_F(TokenBookTest, SweepForgetsIdleTokensInMemoryAndInTheStore) {
    TokenBook tokens(*store_);
    const std::string idle = tokens.issue(kStart);
    const std::string used = tokens.issue(kStart);
    ASSERT_TRUE(tokens.use(used, kStart + 12 * kHour));
    tokens.sweep(kStart + 25 * kHour);
    EXPECT_EQ(tokens.inMemory(), 1u);
    EXPECT_FALSE(store_->tokenLastUse(idle).has_value());
    EXPECT_TRUE(store_->tokenLastUse(used).has_value());
}

} // namespace
} // namespace zorlith
