// The system's own words for an error code, as libcurl reports it with CURLINFO_OS_ERRNO:
// errno on POSIX, a Winsock or system error code on Windows.
#pragma once

#include <zeph/text/HostText.h>

#include <string>

namespace zeph::platform {

// UTF-8, without a final full stop or line break; "error N" for a code the system has no text
// for.
ZEPH_HOST_API std::string SystemErrorText(long code);

} // namespace zeph::platform
