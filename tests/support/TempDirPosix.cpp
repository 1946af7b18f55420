#include "support/TempDir.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace zeph::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zeph-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

} // namespace zeph::testing
