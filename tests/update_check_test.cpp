// The version comparison that decides whether an update is offered, and the question it asks.
#include "startup/app_identity.h"
#include "startup/startup_stages.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

struct VersionCase {
    const char* own;
    const char* announced;
    bool offered;
};

void PrintTo(const VersionCase& row, std::ostream* out) {
    *out << row.own << " vs '" << row.announced << "'";
}

class VersionTableTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionTableTest, AnUpdateIsOfferedOnlyForAHigherNumber) {
    EXPECT_EQ(IsNewerVersion(GetParam().announced, GetParam().own), GetParam().offered)
        << "own " << GetParam().own << ", announced '" << GetParam().announced << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionTableTest,
    ::testing::Values(VersionCase{"1.15", "1.2", true}, VersionCase{"1.15", "1.15", false},
                      VersionCase{"1.15", "1.150", false}, VersionCase{"1.15", "1.9", true},
                      VersionCase{"1.9", "1.10", false}, VersionCase{"1.15", "", false},
                      // Only the leading number counts; text after it is ignored.
                      VersionCase{"1.15", "1.2beta", true}, VersionCase{"1.15", "v2.0", false},
                      VersionCase{"1.15", "1.14", false}, VersionCase{"1.15", "2", true},
                      VersionCase{"1.15", "-3", false}));

TEST(VersionNumberTest, ReadsTheLeadingNumberAsAFloat) {
    EXPECT_EQ(VersionNumber("1.15"), 1.15F);
    EXPECT_EQ(VersionNumber("1.150"), 1.15F);
    EXPECT_EQ(VersionNumber("1.2.3"), 1.2F);
    EXPECT_EQ(VersionNumber(" 1.2"), 1.2F);
    EXPECT_EQ(VersionNumber("abc"), 0.0F);
    EXPECT_EQ(VersionNumber(""), 0.0F);
    EXPECT_EQ(VersionNumber("."), 0.0F);
}

TEST(VersionNumberTest, VersionsThatDifferOnlyBeyondFloatPrecisionAreEqual) {
    // 32-bit floats hold about seven digits: such an announcement offers no update.
    EXPECT_FALSE(IsNewerVersion("1.150000001", "1.15"));
}

TEST(UpdateQuestionTest, CarriesTheTitleAndTheAnnouncedTextUnchanged) {
    EXPECT_EQ(UpdateQuestion("1.20"), "ZorlithPK10平刷冠军单双已经更新至1.20\r\n点击确定立即更新");
    EXPECT_EQ(std::string(AppIdentity.title), "ZorlithPK10平刷冠军单双");
    EXPECT_EQ(std::string(AppIdentity.version), "1.15");
}

} // namespace
} // namespace zorlith
