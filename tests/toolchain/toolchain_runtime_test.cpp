// The Windows toolchain and its runtime under Wine: Tollund's Base64 from a DLL against the
// RFC 4648 vectors, exceptions and strings across a DLL boundary, std::thread on the posix-thread
// runtime, and files in the temporary folder.
#include "ProbeLibrary.h"

#include <tollund/Base64.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

std::string Encode(const std::string& bytes) {
    std::string out(
        static_cast<size_t>(Base64::calculateBase64Len(static_cast<unsigned>(bytes.size()))), '#');
    Base64::binToBase64(reinterpret_cast<const unsigned char*>(bytes.data()), out.data(),
                        static_cast<unsigned>(bytes.size()));
    out.pop_back();
    return out;
}

TEST(ToolchainRuntime, TollundBase64FromItsDllMatchesTheRfcVectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, coded] : vectors) {
        EXPECT_EQ(Encode(plain), coded) << plain;
        unsigned char out[16] = {};
        const int n = Base64::base64ToBin(coded, out, 0);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n)), plain);
    }
}

TEST(ToolchainRuntime, AnExceptionThrownInADllIsCaughtByTypeInTheProgram) {
    try {
        ProbeThrow("from the DLL");
        FAIL() << "nothing was thrown";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "from the DLL");
    }
}

TEST(ToolchainRuntime, AStringMadeInADllIsUsedAndFreedByTheProgram) {
    std::string s = ProbeRepeat("ab", 1000);
    EXPECT_EQ(s.size(), 2000u);
    s += "c";
    EXPECT_EQ(s.substr(1998), "abc");
}

TEST(ToolchainRuntime, StdThreadsAndMutexesWork) {
    EXPECT_EQ(ProbeCountOnThreads(4, 2000), 8000);
}

TEST(ToolchainRuntime, AFileInTheTemporaryFolderIsWrittenAndReadBack) {
    const auto dir = std::filesystem::temp_directory_path() / "zeph-toolchain-test";
    std::filesystem::create_directories(dir);
    const auto file = dir / "bytes.bin";
    const std::string bytes("a\r\nb\0c\x1a", 7);
    {
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
    in.close();
    std::filesystem::remove_all(dir);
}

} // namespace
