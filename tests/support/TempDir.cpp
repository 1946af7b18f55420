#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace zeph::testing {

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(Utf8Path(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(Utf8Path(path).parent_path());
    std::ofstream file(Utf8Path(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace zeph::testing
