// The streaming decoder stops where a parser feeding it pieces needs it to stop, and pieces of
// any size decode to what the whole-text conversion gives.
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using zeph::text::DecodeGbkPiece;
using zeph::text::GbkToUtf8;
using zeph::text::Utf8ToGbk;

struct PieceCase {
    const char* what;
    std::string gbk;
    std::size_t capacity;
    std::string utf8;
    std::size_t consumed;
    bool invalid;
};

TEST(DecodeGbkPiece, StopsWhereTheNextCharacterCannotBeDecodedYet) {
    const std::string zhang = Utf8ToGbk("张"); // \xD5\xC5
    const PieceCase cases[] = {
        {"ascii", "abcdefghijklmnopq", 64, "abcdefghijklmnopq", 17, false},
        {"ascii beyond the room", "abcdefghijklmnopq", 10, "abcdefghij", 10, false},
        {"double-byte", "a" + zhang + "b", 64, "a张b", 4, false},
        {"a character that does not fit whole", "a" + zhang, 3, "a", 1, false},
        {"lead byte cut by the piece's end", "ab\xD5", 64, "ab", 2, false},
        {"euro sign", "\x80", 64, "€", 1, false},
        {"byte 0xFF",
         "ab\xFF"
         "cd",
         64, "ab", 2, true},
        {"lead byte before a non-trail byte", "x\x81\x20", 64, "x", 1, true},
        {"lead byte before DEL", "\x81\x7F", 64, "", 0, true},
        {"trail bytes that are ASCII letters", Utf8ToGbk("丂"), 64, "丂", 2, false},
    };
    for (const PieceCase& c : cases) {
        std::string out(c.capacity, '\0');
        auto step = DecodeGbkPiece(c.gbk, out.data(), out.size());
        EXPECT_EQ(out.substr(0, step.written), c.utf8) << c.what;
        EXPECT_EQ(step.consumed, c.consumed) << c.what;
        EXPECT_EQ(step.invalid, c.invalid) << c.what;
    }
}

// Feeds the text as a parser does: a piece at a time into a small buffer, carrying what a
// step left undecoded into the next piece.
std::string DecodeInPieces(const std::string& gbk, std::mt19937& random) {
    std::string utf8;
    std::string pending;
    std::size_t offset = 0;
    while (offset < gbk.size() || !pending.empty()) {
        std::size_t take = std::min<std::size_t>(gbk.size() - offset, 1 + random() % 37);
        pending.append(gbk, offset, take);
        offset += take;
        char buffer[16];
        auto step = DecodeGbkPiece(pending, buffer, 1 + random() % sizeof buffer);
        EXPECT_FALSE(step.invalid);
        utf8.append(buffer, step.written);
        pending.erase(0, step.consumed);
        if (offset == gbk.size() && step.consumed == 0 && step.written == 0 && !pending.empty() &&
            pending.size() == 1) {
            break; // a lead byte alone at the very end never completes
        }
    }
    return utf8;
}

TEST(DecodeGbkPiece, PiecesOfAnySizeDecodeAsTheWholeText) {
    std::mt19937 random(1208);
    const std::string sample = Utf8ToGbk("质检报告 Quality 评分～表|丂\\x €12,5 员工号");
    for (int round = 0; round < 300; ++round) {
        std::string gbk;
        for (int i = 0; i < 20; ++i) {
            std::size_t from = random() % sample.size();
            // Whole characters only: start at a boundary.
            while (from > 0 && zeph::text::BoundaryAtOrBefore(sample, from) != from) {
                --from;
            }
            gbk += sample.substr(from);
        }
        ASSERT_EQ(DecodeInPieces(gbk, random), GbkToUtf8(gbk)) << "round " << round;
    }
}

} // namespace
