// libxml2 reading and writing documents declared in the host's encoding ("GBK", "GB2312",
// "CP936") through the host platform's own conversion of code page 936. Where libxml2 has no
// converter of its own for these names (no iconv), the handlers registered here serve; the
// user-defined areas map to private-use code points as the host platform maps them.
#pragma once

#include <zeph/text/HostText.h>

namespace zeph::text {

// Registers the handlers with libxml2 (and initialises its parser) once; later calls and calls
// from other threads wait for the first and do nothing. Call before a document in the host's
// encoding is read or written.
ZEPH_HOST_API void RegisterXmlHostEncodings();

} // namespace zeph::text
