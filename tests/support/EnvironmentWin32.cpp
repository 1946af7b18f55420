#include "support/Environment.h"

#include <stdlib.h>
#include <windows.h>

namespace zeph::testing {

// The C runtime keeps a copy of the environment for getenv, the system another for the programs
// a process starts: both are set. The C runtime cannot hold an empty value (that removes the
// variable); the system's copy can.
void PutEnv(const std::string& name, const std::optional<std::string>& value) {
    _putenv_s(name.c_str(), value ? value->c_str() : "");
    SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
}

} // namespace zeph::testing
