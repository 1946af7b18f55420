// CMD5 against the RFC 1321 test suite and against md5sum on random files.
#include "support/TempDir.h"

#include <tollund/CMD5.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Vector {
    const char* text;
    const char* digest;
};

// RFC 1321, appendix A.5.
const Vector Rfc1321[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

std::string Hex(const unsigned char* bytes, size_t n) {
    std::string out;
    char two[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        out += two;
    }
    return out;
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override { dir_ = temp_.Path(); }
    fs::path Write(const std::string& name, const std::vector<unsigned char>& bytes) {
        std::ofstream out(dir_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return dir_ / name;
    }
    zeph::testing::TempDir temp_;
    fs::path dir_;
};

std::string Md5sum(const fs::path& file) {
    const std::string command = "md5sum '" + file.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    char line[64] = {};
    const bool read = pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr;
    if (pipe != nullptr) {
        pclose(pipe);
    }
    return read ? std::string(line, 32) : std::string();
}

TEST(CMD5Test, TextFormsMatchTheRfc1321Suite) {
    CMD5 md5; // one object for every digest: each digest leaves it reset
    for (const Vector& v : Rfc1321) {
        std::string text;
        EXPECT_EQ(md5.Digest(v.text, text), 1);
        EXPECT_EQ(text, v.digest) << '"' << v.text << '"';

        char buffer[33];
        std::memset(buffer, 'z', sizeof buffer);
        EXPECT_EQ(md5.Digest(v.text, buffer), 1);
        EXPECT_EQ(std::string(buffer), v.digest);

        unsigned char raw[16];
        EXPECT_EQ(md5.Digest(v.text, raw), 1);
        EXPECT_EQ(Hex(raw, 16), v.digest);

        std::string binary = "left over";
        EXPECT_EQ(md5.DigestBinary(reinterpret_cast<const unsigned char*>(v.text),
                                   static_cast<uint32_t>(std::strlen(v.text)), binary),
                  1);
        EXPECT_EQ(binary, v.digest);
    }
}

TEST(CMD5Test, NullCharacterOutputIsRefused) {
    CMD5 md5;
    EXPECT_EQ(md5.Digest("abc", static_cast<char*>(nullptr)), 0);
    EXPECT_EQ(md5.Digest("abc", static_cast<unsigned char*>(nullptr)), 0);
}

TEST(CMD5Test, TextWithZeroBytesIsHashedToItsLength) {
    CMD5 md5;
    const std::string withZero("a\0b", 3);
    std::string digest;
    md5.Digest(withZero, digest);
    std::string binary;
    md5.DigestBinary(reinterpret_cast<const unsigned char*>(withZero.data()), 3, binary);
    EXPECT_EQ(digest, binary);
    std::string shortDigest;
    md5.Digest("a", shortDigest);
    EXPECT_NE(digest, shortDigest);
}

TEST_F(TempDir, DigestFileMatchesMd5sumAndDigestBinary) {
    std::mt19937 random(1321);
    CMD5 md5;
    // Sizes around the 64-byte block, the padding boundary at 56, the 384-byte read piece and
    // the 24 KiB chunk read at a time.
    for (const size_t size : {0u, 1u, 55u, 56u, 57u, 63u, 64u, 65u, 383u, 384u, 385u, 768u, 4096u,
                              24576u, 24577u, 393216u, 393217u, 1048583u}) {
        std::vector<unsigned char> bytes(size);
        for (auto& b : bytes) {
            b = static_cast<unsigned char>(random());
        }
        const fs::path file = Write("f" + std::to_string(size), bytes);
        std::string fromFile;
        ASSERT_EQ(md5.DigestFile(file.string(), fromFile), 1);
        std::string fromBytes;
        md5.DigestBinary(bytes.data(), static_cast<uint32_t>(size), fromBytes);
        EXPECT_EQ(fromFile, fromBytes) << size;
        EXPECT_EQ(fromFile, Md5sum(file)) << size;
    }
}

TEST_F(TempDir, DigestFileFailsWithoutTouchingTheOutput) {
    CMD5 md5;
    std::string out = "unchanged";
    EXPECT_EQ(md5.DigestFile((dir_ / "missing").string(), out), 0);
    EXPECT_EQ(out, "unchanged");
    // A directory opens but cannot be read: no digest of nothing passes for its content.
    EXPECT_EQ(md5.DigestFile(dir_.string(), out), 0);
    EXPECT_EQ(out, "unchanged");
    // The object is still sound afterwards.
    EXPECT_EQ(md5.Digest("abc", out), 1);
    EXPECT_EQ(out, "900150983cd24fb0d6963f7d28e17f72");
}

} // namespace
