// The pairs of the user-defined areas read and write as Windows converts them (the file made
// under Wine), alone and inside texts that the lead-byte-aware operations walk.
#include "user_defined_areas_file.h"

#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace zeph::text;
using zeph::text::testing::PairBytes;
using zeph::text::testing::Utf8Of;

const std::map<std::uint16_t, std::uint16_t>& Areas() {
    static const auto areas = zeph::text::testing::ReadUserDefinedAreas().pairs;
    return areas;
}

TEST(UserDefinedAreas, EveryPairDecodesAndEncodesAsWindowsDoes) {
    ASSERT_EQ(Areas().size(), 2149u);
    EXPECT_EQ(Areas().at(0xA140), 0xE4C6);
    EXPECT_EQ(Areas().at(0xAAA1), 0xE000);
    int wrong = 0;
    for (auto [pair, cp] : Areas()) {
        const std::string gbk = PairBytes(pair);
        const std::string utf8 = Utf8Of(cp);
        char piece[8];
        GbkDecodeStep step = DecodeGbkPiece(gbk, piece, sizeof piece);
        bool right = GbkToUtf8(gbk) == utf8 && Utf8ToGbk(utf8) == gbk && IsValidGbk(gbk) &&
                     IsRoundTripGbk(gbk) && !step.invalid && step.consumed == 2 &&
                     std::string(piece, step.written) == utf8;
        if (!right) {
            ADD_FAILURE() << std::hex << "pair " << pair << " code point " << cp;
            if (++wrong == 10) {
                break;
            }
        }
    }
}

// The host platform writes U+F8F5 as the byte FF, which host text reads as no character on
// either platform (of the single bytes only 80 is one).
TEST(UserDefinedAreas, CodePointsWrittenAsOneByteAreWrittenSoAndNeverReadBack) {
    const auto bytes = zeph::text::testing::ReadUserDefinedAreas().bytes;
    ASSERT_EQ(bytes.size(), 1u);
    for (auto [cp, byte] : bytes) {
        const std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(Utf8ToGbk("a" + Utf8Of(cp) + "b"), "a" + one + "b");
        EXPECT_EQ(GbkToUtf8(one), "?");
        EXPECT_FALSE(IsRoundTripGbk(one));
    }
}

// All pairs in one text, each between ASCII that the pairs' trail bytes can look like.
TEST(UserDefinedAreas, TextsOfThePairsSurviveTheOperationsThatWalkLeadAndTrailBytes) {
    std::string gbk;
    std::string upper;
    std::string utf8;
    std::vector<std::string> pieces;
    for (auto [pair, cp] : Areas()) {
        gbk += PairBytes(pair) + "~a";
        upper += PairBytes(pair) + "~A";
        utf8 += Utf8Of(cp) + "~a";
        pieces.push_back((pieces.empty() ? "" : "a") + PairBytes(pair));
    }
    EXPECT_EQ(GbkToUtf8(gbk), utf8);
    EXPECT_EQ(Utf8ToGbk(utf8), gbk);
    EXPECT_TRUE(IsRoundTripGbk(gbk));

    // A140-A1A0 holds pairs whose trail byte is '~', 'a', '|' and '\\': never a character
    // of its own.
    const std::string tilde = "\xA1\x7E";
    const std::string lowerA = "\xA1\x61";
    ASSERT_TRUE(Areas().count(0xA17E) && Areas().count(0xA161) && Areas().count(0xA15C));
    pieces.push_back("a" + tilde + lowerA + "\xA1\x5C");
    const std::string text = gbk + tilde + lowerA + "\xA1\x5C";
    EXPECT_EQ(Split(text, "~"), pieces);
    EXPECT_EQ(Join(Split(text, "~"), "~"), text);
    EXPECT_EQ(Find(tilde, "~"), std::string::npos);
    EXPECT_EQ(FindIgnoringCase(lowerA, "A"), std::string::npos);
    EXPECT_EQ(Find("x" + tilde + "\\", "\\"), 3u);

    upper += tilde + lowerA + "\xA1\x5C";
    EXPECT_EQ(UpperCase(text), upper);
    EXPECT_EQ(LowerCase(UpperCase(text)), text);
    EXPECT_TRUE(SameText(text, UpperCase(text)));

    // The streaming decoder, fed pieces that cut pairs in two, gives the whole text's decoding.
    std::string streamed;
    std::string pending;
    char out[7];
    for (std::size_t at = 0; at < text.size(); at += 5) {
        pending += text.substr(at, 5);
        for (;;) {
            GbkDecodeStep step = DecodeGbkPiece(pending, out, sizeof out);
            ASSERT_FALSE(step.invalid);
            streamed.append(out, step.written);
            pending.erase(0, step.consumed);
            if (step.consumed == 0) {
                break;
            }
        }
    }
    EXPECT_TRUE(pending.empty());
    EXPECT_EQ(streamed, GbkToUtf8(text));
}

} // namespace
