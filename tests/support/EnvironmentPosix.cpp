#include "support/Environment.h"

#include <stdlib.h>

namespace zeph::testing {

void PutEnv(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

} // namespace zeph::testing
