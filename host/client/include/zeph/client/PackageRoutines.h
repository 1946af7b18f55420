// Routines of the host's packages that the plug-in calls.
#pragma once

#include <zeph/forms/Types.h>
#include <zeph/text/HostText.h>

#include <string>
#include <vector>

namespace zeph {

// Modal message boxes; owner kNoOwner (-1) means no particular owner.
ZEPH_HOST_API void InfoDlg(const std::string& text, forms::WindowHandle owner);
ZEPH_HOST_API void ErrorDlg(const std::string& text, forms::WindowHandle owner);
// True when the person answers yes.
ZEPH_HOST_API bool QuesDlg(const std::string& text, forms::WindowHandle owner);

// Standard Base64 (RFC 4648 alphabet, '=' padding, no line breaks). Decoding skips characters
// outside the alphabet and stops at padding; the result holds the decoded bytes unchanged.
ZEPH_HOST_API std::string Base64Encode(const std::string& text);
ZEPH_HOST_API std::string Base64Decode(const std::string& text);

// True when the text is a decimal integer that fits 32 bits (optional sign, no blanks).
ZEPH_HOST_API bool IfNumber(const std::string& text);

// The first IPv4 address of an interface that is up and not loopback; "127.0.0.1" if none.
ZEPH_HOST_API std::string LocalComputerIPString();

// Splits text at each delimiter into list (cleared first), in order.
ZEPH_HOST_API void DecodeToList(const std::string& text, const std::string& delimiter,
                                std::vector<std::string>& list);

} // namespace zeph
