// The edition this library is built as: the build compiles FullEdition.cpp or BasicEdition.cpp.
#pragma once

#include "core/WordTable.h"

namespace morvane {

// The words of the edition in the order of testing, and the parts of its main window.
const EditionTables& BuiltEdition();

} // namespace morvane
