// The user-defined areas of code page 936, which the host platform maps to private-use code
// points and glibc's converter refuses.
#pragma once

#include "CodePage.h"

namespace zeph::text::detail {

// Maps every pair of the user-defined areas to its private-use code point and each of those
// code points back to its pair, and U+F8F5 to the byte FF, over whatever the tables held.
void AddUserDefinedAreas(CodePageMapping& mapping);

} // namespace zeph::text::detail
