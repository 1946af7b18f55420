#include "ExecutableDirectory.h"
#include "WideText.h"

#include <filesystem>
#include <system_error>

namespace zeph::platform::detail {

std::string ExecutableDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            std::error_code ec;
            return Narrow(std::filesystem::current_path(ec).wstring());
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const std::size_t slash = buffer.find_last_of(L"\\/");
    return Narrow(slash == std::wstring::npos ? buffer : buffer.substr(0, slash));
}

} // namespace zeph::platform::detail
