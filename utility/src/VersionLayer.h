#pragma once

#include <string>
#include <string_view>

namespace tollund::detail {

// The product version text of an ELF image held in memory: the entry
// "StringFileInfo\<language><code page>\ProductVersion" for the first translation listed in its
// ".tollund.version" section; empty when the image has none or is malformed.
std::string ProductVersionOf(std::string_view image);

} // namespace tollund::detail
