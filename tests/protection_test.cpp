#include "service/protection.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace zorlith {
namespace {

// Known answers computed by an independent RC4 with the shared key pieces.
TEST(ProtectionTest, ArcfourMatchesThePublishedVector) {
    EXPECT_EQ(HexEncode(Arcfour("Key", "Plaintext")), "BBF316E8D940AF0AD3");
}

TEST(ProtectionTest, ArcfourStartsAFreshKeystreamEveryTime) {
    EXPECT_EQ(Arcfour("Key", "Plaintext"), Arcfour("Key", "Plaintext"));
    EXPECT_EQ(Arcfour("Key", Arcfour("Key", "Plaintext")), "Plaintext");
}

TEST(ProtectionTest, ArcfourUsesOnlyTheFirst256KeyBytes) {
    const std::string longKey(300, 'k');
    EXPECT_EQ(Arcfour(longKey, "abc"), Arcfour(longKey.substr(0, 256), "abc"));
}

TEST(ProtectionTest, ArcfourWithAnEmptyKeyLeavesTheBytes) {
    EXPECT_EQ(Arcfour("", "abc"), "abc");
}

TEST(ProtectionTest, SealExchangeKeyMatchesTheKnownAnswer) {
    EXPECT_EQ(SealExchangeKey("0123456789abcdef"), "FD3DCC35EC1964DFCE3F994A4104374C");
    EXPECT_EQ(OpenExchangeKey("FD3DCC35EC1964DFCE3F994A4104374C"), "0123456789abcdef");
    EXPECT_EQ(OpenExchangeKey("fd3dcc35ec1964dfce3f994a4104374c"), "0123456789abcdef");
}

TEST(ProtectionTest, SealDataMatchesTheKnownAnswer) {
    const std::string sealed = "FB39C844EF6916D0C635C11A605816686A0A899DC617A957673FEE947D9FF865";
    EXPECT_EQ(SealData(R"({"data":"1|+|2"})", 7), sealed);
    EXPECT_EQ(OpenData(sealed, 7), R"({"data":"1|+|2"})");
}

TEST(ProtectionTest, SealPayloadMatchesTheKnownAnswer) {
    const std::string escaped = UrlEscape(R"({"rand":"7"})");
    const std::string sealed = SealPayload(escaped, "K3yK3yK3yK3yK3y0");
    EXPECT_EQ(sealed, "F961D91185F68416D3AE2702127E17F1497D29227944B974FDF4E721FB681622"
                      "96A11050A688561F9E67F9D7EC624BA496C09E1B");
    EXPECT_EQ(OpenPayload(sealed, "K3yK3yK3yK3yK3y0"), escaped);
}

TEST(ProtectionTest, SealedPayloadIsFourTimesTheTextInUpperCaseHex) {
    const std::string escaped = UrlEscape(R"({"rand":"42","funname":"init","param":["中"]})");
    const std::string sealed = SealPayload(escaped, "abcdefghijklmnop");
    EXPECT_EQ(sealed.size(), 4 * escaped.size());
    EXPECT_EQ(sealed.find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

TEST(ProtectionTest, OpenPayloadWithAnotherKeyDoesNotGiveTheText) {
    const std::string sealed = SealPayload("%7B%7D", "key-one");
    EXPECT_NE(OpenPayload(sealed, "key-two"), std::optional<std::string>("%7B%7D"));
}

TEST(ProtectionTest, OpenDataRestoresUtf8TextOfAnyRand) {
    const std::string json = R"({"msg":"冠军单双","n":[1,2,3]})";
    for (const int32_t rand : {0, 7, 42, 9999}) {
        EXPECT_EQ(OpenData(SealData(json, rand), rand), json) << rand;
    }
}

TEST(ProtectionTest, OpenDataRefusesNonHexText) {
    EXPECT_EQ(OpenData("not hex", 7), std::nullopt);
    EXPECT_EQ(OpenExchangeKey("12G4"), std::nullopt);
    EXPECT_EQ(OpenPayload("zz", "key"), std::nullopt);
}

TEST(ProtectionTest, OpenDataRefusesAnOuterLayerThatDoesNotHoldHex) {
    // The outer layer opens, but what it holds is not a hex text.
    const std::string outerOnly = HexEncode(Arcfour(TransportKey(), "plain words"));
    EXPECT_EQ(OpenData(outerOnly, 7), std::nullopt);
}

TEST(ProtectionTest, ResponseKeyIsTheDecimalProduct) {
    EXPECT_EQ(ResponseKey(7), "219359");
    EXPECT_EQ(ResponseKey(0), "0");
    EXPECT_EQ(ResponseKey(9999), "313338663");
}

TEST(ProtectionTest, TransportKeyIsStable) {
    EXPECT_EQ(TransportKey(), TransportKey());
    EXPECT_EQ(TransportKey().size(), 23U);
}

struct HexDecodeRow {
    std::string hex;
    std::optional<std::string> bytes;
};

void PrintTo(const HexDecodeRow& row, std::ostream* out) {
    *out << "\"" << row.hex << "\"";
}

class HexDecodeTest : public testing::TestWithParam<HexDecodeRow> {};

TEST_P(HexDecodeTest, Decodes) {
    EXPECT_EQ(HexDecode(GetParam().hex), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HexDecodeTest,
    testing::Values(HexDecodeRow{"0AFF", std::string("\x0A\xFF")},
                    HexDecodeRow{"0aff", std::string("\x0A\xFF")},
                    HexDecodeRow{"ABC", std::string("\xAB\x0C")}, HexDecodeRow{"", std::string()},
                    HexDecodeRow{"7", std::string("\x07")}, HexDecodeRow{"0G", std::nullopt},
                    HexDecodeRow{"G", std::nullopt}, HexDecodeRow{"0A F", std::nullopt},
                    HexDecodeRow{"0A-1", std::nullopt}));

TEST(ProtectionTest, HexEncodeWritesTwoUpperCaseDigitsPerByte) {
    EXPECT_EQ(HexEncode(std::string("\x0A\xFF", 2)), "0AFF");
    EXPECT_EQ(HexEncode(std::string("\0", 1)), "00");
    EXPECT_EQ(HexEncode(""), "");
}

TEST(ProtectionTest, UrlEscapeKeepsOnlyUnreservedCharacters) {
    EXPECT_EQ(UrlEscape("aZ09-._~"), "aZ09-._~");
    EXPECT_EQ(UrlEscape(R"({"a":"中 %"})"), "%7B%22a%22%3A%22%E4%B8%AD%20%25%22%7D");
}

TEST(ProtectionTest, UrlUnescapeRestoresEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(UrlUnescape(UrlEscape(all)), all);
    EXPECT_EQ(UrlUnescape("%e4%B8%ad+x"), "中+x");
}

TEST(ProtectionTest, UrlUnescapeRefusesABrokenEscape) {
    EXPECT_EQ(UrlUnescape("%"), std::nullopt);
    EXPECT_EQ(UrlUnescape("ab%4"), std::nullopt);
    EXPECT_EQ(UrlUnescape("%zz"), std::nullopt);
}

} // namespace
} // namespace zorlith
