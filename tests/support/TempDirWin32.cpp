#include "support/TempDir.h"

#include <windows.h>

#include <filesystem>
#include <random>
#include <stdexcept>

namespace zeph::testing {

// Windows has no mkdtemp: a random name is tried until CreateDirectory makes a folder that did
// not exist, which is as safe against a race.
TempDir::TempDir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device seed;
    std::mt19937_64 random(seed() ^ (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32));
    constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "zeph-test-";
        for (int i = 0; i < 8; ++i) {
            name += kLetters[random() % (sizeof kLetters - 1)];
        }
        std::filesystem::path candidate = base / name;
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate.string();
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    throw std::runtime_error("cannot make a temporary folder under " + base.string());
}

} // namespace zeph::testing
