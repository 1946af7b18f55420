// The Windows side of the peer launcher (peer_launcher.py): Linux programs for tests under Wine,
// run or started on the Linux side through the launcher named by ZEPH_PEER_LAUNCHER.
#pragma once

#include "support/Subprocess.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace zeph::testing {

// As Run. Throws std::runtime_error when the launcher cannot be reached or refuses.
ProcessResult RunPeer(const std::vector<std::string>& argv, const std::string& input,
                      std::chrono::seconds limit);

// A server on the Linux side, alive until Stop.
std::unique_ptr<Background::Process> StartPeer(const std::vector<std::string>& argv,
                                               Background::OutputSink output);

} // namespace zeph::testing
