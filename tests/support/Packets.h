// Dataset packets for tests: fields and rows written in UTF-8, the packet in host text.
#pragma once

#include <string>
#include <vector>

namespace zeph::testing {

// A packet of string fields; every name and value is converted to host text.
std::string BuildPacket(const std::vector<std::string>& fields,
                        const std::vector<std::vector<std::string>>& rows);

} // namespace zeph::testing
