#include "WideText.h"

#include <zeph/platform/SystemError.h>

namespace zeph::platform {

std::string SystemErrorText(long code) {
    std::string text = detail::SystemMessage(static_cast<DWORD>(code));
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

} // namespace zeph::platform
