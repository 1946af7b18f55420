// Windows sockets for the test kit: started once for the process, before the first socket.
#pragma once

namespace zeph::testing {

void EnsureWinsock();

} // namespace zeph::testing
