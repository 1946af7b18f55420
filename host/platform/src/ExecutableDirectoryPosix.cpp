#include "ExecutableDirectory.h"

#include <filesystem>
#include <system_error>

namespace zeph::platform::detail {

std::string ExecutableDirectory() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::filesystem::path dir = ec ? std::filesystem::current_path(ec) : exe.parent_path();
    return dir.string();
}

} // namespace zeph::platform::detail
