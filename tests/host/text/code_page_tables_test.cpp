// The looked-up conversions give what the platform's iconv gives for CP936, with the pairs of
// the user-defined areas as Windows maps them, character by character and on random byte
// strings.
#include "user_defined_areas_file.h"

#include <zeph/text/HostText.h>

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <map>
#include <random>
#include <string>

namespace {

using zeph::text::testing::PairBytes;
using zeph::text::testing::Utf8Of;

// Source characters that iconv refuses and Windows converts, with what Windows makes of them.
using Supplement = std::map<std::string, std::string>;

const Supplement& DecodeSupplement() {
    static const Supplement supplement = [] {
        Supplement bytes;
        for (auto [pair, cp] : zeph::text::testing::ReadUserDefinedAreas().pairs) {
            bytes[PairBytes(pair)] = Utf8Of(cp);
        }
        return bytes;
    }();
    return supplement;
}

const Supplement& EncodeSupplement() {
    static const Supplement supplement = [] {
        Supplement bytes;
        for (const auto& [pair, utf8] : DecodeSupplement()) {
            bytes[utf8] = pair;
        }
        for (auto [cp, byte] : zeph::text::testing::ReadUserDefinedAreas().bytes) {
            bytes[Utf8Of(cp)] = std::string(1, static_cast<char>(byte));
        }
        return bytes;
    }();
    return supplement;
}

// Converts with iconv, one source character of skip(text, offset) bytes at a time; a character
// that iconv refuses becomes its entry in the supplement, or "?".
template <typename Skip>
std::string IconvReference(const char* to, const char* from, const std::string& text, Skip skip,
                           const Supplement& supplement) {
    iconv_t cd = iconv_open(to, from);
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        char* in = const_cast<char*>(text.data()) + pos;
        std::size_t inLeft = text.size() - pos;
        char buffer[64];
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        // One source character at a time keeps the reference simple.
        std::size_t one = std::min(inLeft, skip(text, pos));
        std::size_t rc = iconv(cd, &in, &one, &outPtr, &outLeft);
        if (rc == static_cast<std::size_t>(-1)) {
            std::size_t length = std::min(inLeft, skip(text, pos));
            auto found = supplement.find(text.substr(pos, length));
            out.append(found == supplement.end() ? "?" : found->second);
            pos += length;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else {
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            pos = static_cast<std::size_t>(in - text.data());
        }
    }
    iconv_close(cd);
    return out;
}

std::size_t GbkLength(const std::string& text, std::size_t pos) {
    auto c = static_cast<unsigned char>(text[pos]);
    if (c >= 0x81 && c <= 0xFE && pos + 1 < text.size()) {
        auto t = static_cast<unsigned char>(text[pos + 1]);
        if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
            return 2;
        }
    }
    return 1;
}

std::size_t Utf8Length(const std::string& text, std::size_t pos) {
    auto c = static_cast<unsigned char>(text[pos]);
    std::size_t want = c < 0x80         ? 1
                       : (c >> 5) == 6  ? 2
                       : (c >> 4) == 14 ? 3
                       : (c >> 3) == 30 ? 4
                                        : 1;
    std::size_t n = 1;
    while (n < want && pos + n < text.size() &&
           (static_cast<unsigned char>(text[pos + n]) & 0xC0) == 0x80) {
        ++n;
    }
    return n;
}

TEST(CodePageTablesTest, EveryDoubleByteCharacterDecodesAsIconvDoes) {
    int mismatches = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0x00; trail <= 0xFF; ++trail) {
            std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            if (zeph::text::GbkToUtf8(pair) !=
                IconvReference("UTF-8", "CP936", pair, GbkLength, DecodeSupplement())) {
                ++mismatches;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(CodePageTablesTest, EveryBmpCharacterEncodesAsIconvDoes) {
    int mismatches = 0;
    for (std::uint32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        char bytes[3];
        std::size_t length = 0;
        if (cp < 0x800) {
            bytes[length++] = static_cast<char>(0xC0 | (cp >> 6));
        } else {
            bytes[length++] = static_cast<char>(0xE0 | (cp >> 12));
            bytes[length++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        }
        bytes[length++] = static_cast<char>(0x80 | (cp & 0x3F));
        const std::string utf8(bytes, length);
        if (zeph::text::Utf8ToGbk(utf8) !=
            IconvReference("CP936", "UTF-8", utf8, Utf8Length, EncodeSupplement())) {
            ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(CodePageTablesTest, RandomBytesConvertAsIconvDoes) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 40, '\0');
        for (char& b : bytes) {
            b = static_cast<char>(random() % 2 == 0 ? 0x80 + random() % 0x80 : random() % 0x100);
        }
        ASSERT_EQ(zeph::text::GbkToUtf8(bytes),
                  IconvReference("UTF-8", "CP936", bytes, GbkLength, DecodeSupplement()));
        ASSERT_EQ(zeph::text::Utf8ToGbk(bytes),
                  IconvReference("CP936", "UTF-8", bytes, Utf8Length, EncodeSupplement()));
    }
}

} // namespace

namespace {

// Every character the round-trip check lets through comes back as itself from the reference's
// decoding and encoding, and every other one does not (or is not a character at all).
TEST(CodePageTablesTest, RoundTripCheckAgreesWithIconvForEveryCharacter) {
    auto gbkLength = [](const std::string& s, std::size_t pos) {
        return zeph::text::CharLength(s, pos);
    };
    auto utf8Length = [](const std::string& s, std::size_t pos) -> std::size_t {
        auto c = static_cast<unsigned char>(s[pos]);
        return c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    };
    std::vector<std::string> characters = {"\x80"};
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            characters.push_back({static_cast<char>(lead), static_cast<char>(trail)});
        }
    }
    int roundTrips = 0;
    for (const std::string& c : characters) {
        std::string utf8 = IconvReference("UTF-8", "CP936", c, gbkLength, DecodeSupplement());
        bool back = utf8 != "?" && utf8 != "\xEF\xBF\xBE" && utf8 != "\xEF\xBF\xBF" &&
                    IconvReference("CP936", "UTF-8", utf8, utf8Length, EncodeSupplement()) == c;
        ASSERT_EQ(zeph::text::IsRoundTripGbk(c), back)
            << std::hex << static_cast<int>(static_cast<unsigned char>(c[0]));
        roundTrips += back ? 1 : 0;
        EXPECT_EQ(zeph::text::IsRoundTripGbk("a" + c + "b"), back);
    }
    EXPECT_GT(roundTrips, 21000); // GBK holds 21,886 characters
    EXPECT_FALSE(zeph::text::IsRoundTripGbk("ab\x81"));
    EXPECT_FALSE(zeph::text::IsRoundTripGbk("\xFF"));
}

} // namespace
