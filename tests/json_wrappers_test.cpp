#include "service/json_wrappers.h"

#include <gtest/gtest.h>
#include <ostream>

namespace zorlith {
namespace {

struct TextRow {
    std::string json;
    std::string text;
    JsonType type;
};

void PrintTo(const TextRow& row, std::ostream* out) {
    *out << row.json;
}

class GetTextTest : public testing::TestWithParam<TextRow> {};

TEST_P(GetTextTest, RendersTheMember) {
    JsonValue value;
    ASSERT_TRUE(value.parse(R"({"m":)" + GetParam().json + "}"));
    JsonType type = JsonType::None;
    EXPECT_EQ(value.getText("m", &type), GetParam().text);
    EXPECT_EQ(type, GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GetTextTest,
    testing::Values(TextRow{"false", "", JsonType::Boolean},
                    TextRow{"true", "true", JsonType::Boolean}, TextRow{"null", "", JsonType::Null},
                    TextRow{"12", "12", JsonType::Int32}, TextRow{"-12", "-12", JsonType::Int32},
                    TextRow{"1.5", "1.5", JsonType::Double}, TextRow{"2.0", "2", JsonType::Double},
                    TextRow{"0.1234567890123456", "0.1234567890123", JsonType::Double},
                    TextRow{"4000000000", "4000000000", JsonType::UInt32},
                    TextRow{"-4000000000", "-4000000000", JsonType::Int64},
                    TextRow{"18446744073709551615", "18446744073709551615", JsonType::UInt64},
                    TextRow{R"("冠军")", "冠军", JsonType::String},
                    TextRow{R"({"b":1,"a":[2]})", R"({"b":1,"a":[2]})", JsonType::Object},
                    TextRow{R"([1,"x"])", R"([1,"x"])", JsonType::Array}));

TEST(JsonWrappersTest, MissingMemberIsEmptyWithoutType) {
    JsonValue value;
    ASSERT_TRUE(value.parse(R"({"a":1})"));
    JsonType type = JsonType::Int32;
    EXPECT_EQ(value.getText("b", &type), "");
    EXPECT_EQ(type, JsonType::None);
}

TEST(JsonWrappersTest, ParseOfNonJsonLeavesNoDocument) {
    JsonValue value;
    ASSERT_TRUE(value.parse(R"({"a":"1"})"));
    EXPECT_FALSE(value.parse("<html>500</html>"));
    EXPECT_EQ(value.toString(), "");
    EXPECT_EQ(value.getText("a"), "");
    EXPECT_EQ(value.type(), JsonType::None);
}

TEST(JsonWrappersTest, ParseRefusesInvalidUtf8InStrings) {
    JsonValue value;
    EXPECT_FALSE(value.parse("{\"a\":\"\xFF\xFE\"}"));
}

TEST(JsonWrappersTest, RequestKeepsMemberOrderAndStringValues) {
    JsonValue request;
    request.create();
    request.put("rand", "7");
    request.put("funname", "init");
    request.put("appid", "112");
    JsonArray params;
    params.create();
    params.add("tok");
    params.add("50");
    request.putChild("param", params);
    EXPECT_EQ(request.toString(),
              R"({"rand":"7","funname":"init","appid":"112","param":["tok","50"]})");
}

TEST(JsonWrappersTest, PutReplacesAnExistingMemberInPlace) {
    JsonValue value;
    value.create();
    value.put("a", "1");
    value.put("b", "2");
    value.put("a", "3");
    EXPECT_EQ(value.toString(), R"({"a":"3","b":"2"})");
}

TEST(JsonWrappersTest, EnumerateFollowsDocumentOrder) {
    JsonValue value;
    ASSERT_TRUE(value.parse(R"({"t2":"u2","t1":"u1","n":{"x":1},"k":false})"));
    std::vector<std::string> names;
    std::vector<std::string> values;
    std::vector<JsonType> types;
    ASSERT_EQ(value.enumerate(names, values, types), 4);
    EXPECT_EQ(names, (std::vector<std::string>{"t2", "t1", "n", "k"}));
    EXPECT_EQ(values, (std::vector<std::string>{"u2", "u1", R"({"x":1})", ""}));
    EXPECT_EQ(types, (std::vector<JsonType>{JsonType::String, JsonType::String, JsonType::Object,
                                            JsonType::Boolean}));
}

TEST(JsonWrappersTest, EnumerateOfAnArrayLeavesTheListsAlone) {
    JsonValue value;
    ASSERT_TRUE(value.parse("[1,2]"));
    std::vector<std::string> names{"keep"};
    std::vector<std::string> values{"keep"};
    std::vector<JsonType> types{JsonType::Null};
    EXPECT_EQ(value.enumerate(names, values, types), -1);
    EXPECT_EQ(names, std::vector<std::string>{"keep"});
    EXPECT_EQ(values, std::vector<std::string>{"keep"});
}

TEST(JsonWrappersTest, EnumerateOfAnEmptyObjectGivesEmptyLists) {
    JsonValue value;
    ASSERT_TRUE(value.parse("{}"));
    std::vector<std::string> names{"old"};
    std::vector<std::string> values{"old"};
    std::vector<JsonType> types{JsonType::Null};
    EXPECT_EQ(value.enumerate(names, values, types), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(values.empty());
    EXPECT_TRUE(types.empty());
}

TEST(JsonWrappersTest, CopyMemberNeedsTheTargetsKind) {
    JsonValue value;
    ASSERT_TRUE(value.parse(R"({"list":[1],"map":{"a":"b"},"text":"x"})"));
    JsonValue target;
    ASSERT_TRUE(target.parse(R"({"old":"1"})"));
    EXPECT_FALSE(value.copyMember("list", target));
    EXPECT_FALSE(value.copyMember("text", target));
    EXPECT_FALSE(value.copyMember("missing", target));
    EXPECT_EQ(target.toString(), R"({"old":"1"})");
    EXPECT_TRUE(value.copyMember("map", target));
    EXPECT_EQ(target.toString(), R"({"a":"b"})");

    JsonArray array;
    EXPECT_TRUE(value.copyMember("list", array));
    EXPECT_EQ(array.toString(), "[1]");
}

TEST(JsonWrappersTest, ReplyReadsErrcodeAndMsg) {
    ServiceReply reply;
    ASSERT_TRUE(reply.parse(R"({"errcode":0,"msg":"好"})"));
    EXPECT_EQ(reply.errcode(), "0");
    EXPECT_EQ(reply.msg(), "好");
}

} // namespace
} // namespace zorlith
