#pragma once

#include <tollund/CFunction.h>

#include <cstddef>
#include <string>

namespace tollund::detail {

// The longest value GetRegKey writes, with its terminator.
constexpr size_t RegistryValueBuffer = 260;

// The folder name of a root key; null for an unknown root.
const char* RootKeyName(CFunction::RegKey root);

// The folder that holds the root keys: $TOLLUND_REGISTRY, else /etc/tollund/registry.
std::string RegistryBase();

// The entry of folder named component, matched as key names are: ignoring ASCII case.
std::string KeyEntry(const std::string& folder, const std::string& component);

} // namespace tollund::detail
