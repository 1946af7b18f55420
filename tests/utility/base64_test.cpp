// Base64 against the RFC 4648 vectors, the decoder's rules, and the base64 tool on random bytes.
#include "support/TempDir.h"

#include <tollund/Base64.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Encode(const std::string& bytes) {
    std::string out(
        static_cast<size_t>(Base64::calculateBase64Len(static_cast<unsigned>(bytes.size()))), '#');
    Base64::binToBase64(reinterpret_cast<const unsigned char*>(bytes.data()), out.data(),
                        static_cast<unsigned>(bytes.size()));
    EXPECT_EQ(out.back(), '\0');
    out.pop_back();
    return out;
}

struct Decoded {
    int result;
    std::string bytes;
};

Decoded Decode(const std::string& text, unsigned limit = 0) {
    std::vector<unsigned char> out(text.size() + 8, 0xEE);
    const int result = Base64::base64ToBin(text.c_str(), out.data(), limit);
    // A failed decode keeps what it wrote; the rule cases never decode to the filler byte.
    size_t written = result >= 0 ? static_cast<size_t>(result) : 0;
    while (result < 0 && written < out.size() && out[written] != 0xEE) {
        ++written;
    }
    return {result, std::string(reinterpret_cast<const char*>(out.data()), written)};
}

// RFC 4648, section 10.
TEST(Base64Test, EncodesAndDecodesTheRfc4648Vectors) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(Encode(bytes), text);
        const Decoded d = Decode(text);
        EXPECT_EQ(d.result, static_cast<int>(bytes.size())) << text;
        EXPECT_EQ(d.bytes, bytes) << text;
    }
    EXPECT_EQ(Encode("abc"), "YWJj");
    EXPECT_EQ(Encode("ab"), "YWI=");
}

TEST(Base64Test, SizesFollowTheirFormulas) {
    const std::pair<unsigned, int> encoded[] = {{0, 1}, {1, 5}, {2, 5}, {3, 5}, {4, 9}, {6, 9}};
    for (const auto& [n, size] : encoded) {
        EXPECT_EQ(Base64::calculateBase64Len(n), size) << n;
    }
    EXPECT_EQ(Base64::calculateBase64Len(0xFFFFFFFFu), -1); // does not fit an int
    EXPECT_EQ(Base64::calculateBinLen(0xFFFFFFFFu), -1);
    const std::pair<unsigned, int> decoded[] = {{0, 0}, {3, 0}, {4, 3}, {7, 3}, {8, 6}};
    for (const auto& [n, size] : decoded) {
        EXPECT_EQ(Base64::calculateBinLen(n), size) << n;
    }
}

TEST(Base64Test, DecoderRules) {
    struct Case {
        const char* name;
        std::string text;
        unsigned limit;
        int result;
        std::string bytes;
    };
    const Case cases[] = {
        {"plus and blank prefix", "+ YWJj", 0, 3, "abc"},
        {"plus without blank is a character", "+YWJ", 0, 3, "\xf9\x85\x89"},
        {"carriage return at a group boundary ends", "YWJj\r\n", 0, 3, "abc"},
        {"line feed fails", "YWJj\n", 0, -1, "abc"},
        {"carriage return first gives 0", "\rYWJj", 0, 0, ""},
        {"prefix then carriage return gives 0", "+ \rYWJj", 0, 0, ""},
        {"empty text", "", 0, 0, ""},
        {"text ends inside a group", "YWI", 0, -1, ""},
        {"carriage return inside a group fails", "YW\rj", 0, -1, ""},
        {"blank fails", "YW Jj", 0, -1, ""},
        {"equals sign as second character fails", "Y===", 0, -1, ""},
        {"equals then a letter: one byte", "YQ=x", 0, 1, "a"},
        {"equals then a bad character fails", "YQ=!", 0, -1, ""},
        {"padded group does not end decoding", "YQ==YWJj", 0, 4, "aabc"},
        {"high byte fails", "YW\xc3\xa9", 0, -1, ""},
        {"limit stops before the third byte", "YWJj", 2, -1, "ab"},
        {"limit that fits exactly", "YWJj", 3, 3, "abc"},
        {"limit inside a padded group", "YWI=", 1, -1, "a"},
        {"text after the zero is not read", std::string("YWJj\0YWJj", 9), 0, 3, "abc"},
    };
    for (const Case& c : cases) {
        const Decoded d = Decode(c.text, c.limit);
        EXPECT_EQ(d.result, c.result) << c.name;
        EXPECT_EQ(d.bytes, c.bytes) << c.name;
    }
}

TEST(Base64Test, RandomBytesMatchTheBase64Tool) {
    const zeph::testing::TempDir temp;
    std::mt19937 random(4648);
    for (const size_t size : {1u, 2u, 3u, 4u, 5u, 47u, 48u, 49u, 1000u, 65537u, 300001u}) {
        std::string bytes(size, '\0');
        for (auto& b : bytes) {
            b = static_cast<char>(random());
        }
        const fs::path file = temp / "bytes";
        std::ofstream(file, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(size));
        FILE* pipe = popen(("base64 -w0 '" + file.string() + "'").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string expected;
        char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            expected.append(buffer, got);
        }
        pclose(pipe);
        EXPECT_EQ(Encode(bytes), expected) << size;
        const Decoded d = Decode(expected);
        ASSERT_EQ(d.result, static_cast<int>(size));
        EXPECT_TRUE(d.bytes == bytes) << size;
    }
}

} // namespace
