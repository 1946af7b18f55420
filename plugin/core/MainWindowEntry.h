// The work of the library's entry point, for the edition it is given.
#pragma once

#include "core/WordTable.h"

#include <cstdint>

namespace morvane {

// Records the host's application object on the first call and makes the single main window with
// the edition's words and parts; returns its handle, or 0 when it cannot be made.
std::uint32_t ShowMainWindow(std::uint32_t applicationHandle, const EditionTables& edition);

} // namespace morvane
