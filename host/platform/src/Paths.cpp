#include "ExecutableDirectory.h"

#include <zeph/platform/Paths.h>

#include <mutex>

namespace zeph::platform {
namespace {

struct ProgramDirectoryState {
    std::mutex mutex;
    std::string named;
};

ProgramDirectoryState& State() {
    static ProgramDirectoryState state;
    return state;
}

} // namespace

std::string NativePath(std::string_view hostPath) {
    return text::GbkToUtf8(hostPath);
}

std::string HostPath(std::string_view nativePath) {
    return text::Utf8ToGbk(nativePath);
}

std::string ExtractFileName(std::string_view path) {
    std::size_t slash = path.rfind(kPathDelimiter);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFilePath(std::string_view path) {
    std::size_t slash = path.rfind(kPathDelimiter);
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
    std::string result(path);
    if (result.empty() || result.back() != kPathDelimiter) {
        result.push_back(kPathDelimiter);
    }
    return result;
}

std::string ProgramDirectory() {
    {
        std::lock_guard lock(State().mutex);
        if (!State().named.empty()) {
            return IncludeTrailingPathDelimiter(State().named);
        }
    }
    return IncludeTrailingPathDelimiter(HostPath(detail::ExecutableDirectory()));
}

void SetProgramDirectory(std::string_view hostPath) {
    std::lock_guard lock(State().mutex);
    State().named = std::string(hostPath);
}

} // namespace zeph::platform
