// Host text operations must step over double-byte characters whose trail byte looks like ASCII.
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

namespace {

using namespace zeph::text;

// Double-byte GBK characters whose trail byte is an ASCII letter, '~', '|' or '\\'.
const std::string kTrailA = "\x81\x41";      // trail 'A'
const std::string kTrailLowerA = "\x81\x61"; // trail 'a'
const std::string kTrailTilde = "\x81\x7E";  // trail '~'
const std::string kTrailBar = "\x81\x7C";    // trail '|'
const std::string kTrailBackslash = "\x81\x5C";

TEST(HostTextTest, TrailBytesAreValidGbkCharacters) {
    for (const auto& c : {kTrailA, kTrailLowerA, kTrailTilde, kTrailBar, kTrailBackslash}) {
        EXPECT_TRUE(IsValidGbk(c));
        std::string utf8 = GbkToUtf8(c);
        EXPECT_NE(utf8, "?") << "byte pair did not convert";
        EXPECT_EQ(Utf8ToGbk(utf8), c);
    }
}

TEST(HostTextTest, ConversionRoundTripsChinese) {
    const std::string utf8 = "传入的参数为空";
    std::string gbk = Utf8ToGbk(utf8);
    EXPECT_EQ(gbk.size(), 14u);
    EXPECT_EQ(GbkToUtf8(gbk), utf8);
    EXPECT_EQ("传入的参数为空"_host, gbk);
    // The cached literal is the same object each time.
    EXPECT_EQ(&"传入的参数为空"_host, &"传入的参数为空"_host);
}

TEST(HostTextTest, UnrepresentableAndInvalidBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b"); // an emoji has no GBK form
    EXPECT_EQ(GbkToUtf8("a\xFF"
                        "b"),
              "a?b");
    EXPECT_EQ(GbkToUtf8("ab\x81"), "ab?"); // a lead byte cut off at the end
    EXPECT_FALSE(IsValidGbk("ab\x81"));
    EXPECT_FALSE(IsValidGbk("\x81\x20"));
}

TEST(HostTextTest, UpperCaseLeavesTrailBytesAlone) {
    EXPECT_EQ(UpperCase("check_report"), "CHECK_REPORT");
    EXPECT_EQ(UpperCase("a" + kTrailLowerA + "b"), "A" + kTrailLowerA + "B");
    EXPECT_EQ(LowerCase("X" + kTrailA + "Y"), "x" + kTrailA + "y");
}

TEST(HostTextTest, CompareIgnoresAsciiCaseOnly) {
    EXPECT_TRUE(SameText("StaffNo", "STAFFNO"));
    EXPECT_FALSE(SameText("StaffNo", "StaffN"));
    // The trail bytes 'A' and 'a' make different characters: no case folding inside them.
    EXPECT_FALSE(SameText(kTrailA, kTrailLowerA));
    EXPECT_TRUE(SameText("x" + kTrailA, "X" + kTrailA));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abd", "ABC"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
}

TEST(HostTextTest, FindAndSplitStepOverDoubleByteCharacters) {
    struct Case {
        std::string text;
        std::string delimiter;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"a~b~c", "~", {"a", "b", "c"}},
        {kTrailTilde + "~x", "~", {kTrailTilde, "x"}},
        {"p" + kTrailBar + "|q", "|", {"p" + kTrailBar, "q"}},
        {kTrailBackslash + "\\dir", "\\", {kTrailBackslash, "dir"}},
        {"a~", "~", {"a", ""}},
        {"~", "~", {"", ""}},
        {"", "~", {}},
        {"no delimiter", "~", {"no delimiter"}},
        {"a - b - c", " - ", {"a", "b", "c"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Split(c.text, c.delimiter), c.pieces) << GbkToUtf8(c.text);
        if (!c.pieces.empty()) {
            EXPECT_EQ(Join(c.pieces, c.delimiter), c.text);
        }
    }
    EXPECT_EQ(Find(kTrailTilde, "~"), std::string::npos);
    EXPECT_EQ(Find(kTrailTilde + "~", "~"), 2u);
    EXPECT_EQ(Find("a~b~c", "~", 2), 3u);
    EXPECT_FALSE(Contains(kTrailA, "A"));
    EXPECT_TRUE(Contains("成功"_host + "x", "成功"_host));
}

TEST(HostTextTest, FindIgnoringCaseMatchesAsciiLettersOnlyAtCharacterBoundaries) {
    EXPECT_EQ(FindIgnoringCase("<params default_order=\"1\"", "<PARAMS DEFAULT_ORDER=\""), 0u);
    EXPECT_EQ(FindIgnoringCase("xAbAB", "ab", 2), 3u);
    // A trail 'a' is part of its character, neither an 'A' nor a match for another character
    // whose trail byte differs only in case.
    EXPECT_EQ(FindIgnoringCase(kTrailLowerA, "A"), std::string::npos);
    EXPECT_EQ(FindIgnoringCase("x" + kTrailLowerA, kTrailA), std::string::npos);
    EXPECT_EQ(FindIgnoringCase("x" + kTrailA + "b", kTrailA + "B"), 1u);
    EXPECT_EQ(FindIgnoringCase("abc", "", 1), 1u);
    EXPECT_EQ(FindIgnoringCase("abc", "abcd"), std::string::npos);
}

TEST(HostTextTest, PairedCharLengthCountsWellFormedPairsOnly) {
    EXPECT_EQ(PairedCharLength(kTrailBackslash, 0), 2u);
    EXPECT_EQ(PairedCharLength("\x81/", 0), 1u) << "'/' is never a trail byte";
    EXPECT_EQ(PairedCharLength("\x81\x7F", 0), 1u);
    EXPECT_EQ(PairedCharLength("\x81", 0), 1u);
    EXPECT_EQ(PairedCharLength("a" + kTrailA, 1), 2u);
}

TEST(HostTextTest, TrimRemovesSpacesAndControlCharacters) {
    EXPECT_EQ(Trim(" \t\r\nabc \x01"), "abc");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \n"), "  a");
    EXPECT_EQ(Trim(" " + kTrailA + " "), kTrailA);
}

TEST(HostTextTest, BoundaryNeverSplitsACharacter) {
    std::string text = "ab" + "中文"_host; // 2 + 4 bytes
    EXPECT_EQ(ByteLength(text), 6u);
    EXPECT_EQ(BoundaryAtOrBefore(text, 3), 2u);
    EXPECT_EQ(BoundaryAtOrBefore(text, 4), 4u);
    EXPECT_EQ(BoundaryAtOrBefore(text, 5), 4u);
    EXPECT_EQ(BoundaryAtOrBefore(text, 100), 6u);
    EXPECT_EQ(BoundaryAtOrBefore(text, 0), 0u);
    EXPECT_EQ(CharLength(text, 2), 2u);
    EXPECT_EQ(CharLength(text, 0), 1u);
}

} // namespace
