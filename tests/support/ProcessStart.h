// The platform's way of starting a background program (SubprocessPosix.cpp, SubprocessWin32.cpp).
#pragma once

#include "support/Subprocess.h"

#include <memory>
#include <string>
#include <vector>

namespace zeph::testing {

// Throws std::runtime_error when the program cannot be started. A null sink sends the output
// nowhere.
std::unique_ptr<Background::Process> StartBackground(const std::vector<std::string>& argv,
                                                     Background::OutputSink output);

} // namespace zeph::testing
