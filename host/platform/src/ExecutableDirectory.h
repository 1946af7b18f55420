// Where the running program lies, as the operating system tells it.
#pragma once

#include <string>

namespace zeph::platform::detail {

// The folder of the running executable in the file system's encoding, without a separator at
// its end; the working directory when the system will not say.
std::string ExecutableDirectory();

} // namespace zeph::platform::detail
