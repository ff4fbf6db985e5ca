#include "update_request.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

TEST(UpdateRequestTest, TakesTheFiveArgumentsInOrder) {
    std::string error;
    const auto request = ParseUpdaterArguments(
        {"ZorlithPK10平刷冠军单双", "1.15", "1.2", "http://127.0.0.1:19200/a b", "zorlith-pk10"},
        error);
    ASSERT_TRUE(request.has_value()) << error;
    EXPECT_EQ(request->title, "ZorlithPK10平刷冠军单双");
    EXPECT_EQ(request->runningVersion, "1.15");
    EXPECT_EQ(request->announcedVersion, "1.2");
    EXPECT_EQ(request->url, "http://127.0.0.1:19200/a b");
    EXPECT_EQ(request->executableName, "zorlith-pk10");
}

struct Refused {
    std::vector<std::string> args;
    const char* expectedError;
};

void PrintTo(const Refused& row, std::ostream* out) {
    for (const auto& arg : row.args) {
        *out << "[" << arg << "]";
    }
}

class RefusedArgumentsTest : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedArgumentsTest, SayWhy) {
    std::string error;
    EXPECT_FALSE(ParseUpdaterArguments(GetParam().args, error).has_value());
    EXPECT_NE(error.find(GetParam().expectedError), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, RefusedArgumentsTest,
    ::testing::Values(Refused{{}, "参数个数"}, Refused{{"t", "1", "2", "u"}, "参数个数"},
                      Refused{{"t", "1", "2", "u", "p", "extra"}, "参数个数"},
                      Refused{{"t", "1", "2", "", "p"}, "更新地址为空"},
                      Refused{{"t", "1", "2", "u", ""}, "程序文件名无效"},
                      Refused{{"t", "1", "2", "u", ".."}, "程序文件名无效"},
                      Refused{{"t", "1", "2", "u", "/usr/bin/zorlith-pk10"}, "程序文件名无效"},
                      Refused{{"t", "1", "2", "u", "../zorlith-pk10"}, "程序文件名无效"}));

} // namespace
} // namespace zorlith
