// Sets or removes a variable of this process's environment, which programs it starts inherit.
#pragma once

#include <optional>
#include <string>

namespace zeph::testing {

void PutEnv(const std::string& name, const std::optional<std::string>& value);

} // namespace zeph::testing
