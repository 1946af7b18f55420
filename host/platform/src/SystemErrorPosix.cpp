#include <zeph/platform/SystemError.h>

#include <cstring>

namespace zeph::platform {

std::string SystemErrorText(long code) {
    // strerrordesc_np knows exactly the codes the system has a text for, and is thread-safe.
    const char* text = strerrordesc_np(static_cast<int>(code));
    return text != nullptr ? std::string(text) : "error " + std::to_string(code);
}

} // namespace zeph::platform
