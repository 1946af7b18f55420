// The version layer reader (ELF section headers and "key=value" entries) on arbitrary bytes.

#include "VersionLayer.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string version =
        tollund::detail::ProductVersionOf({reinterpret_cast<const char*>(data), size});
    if (version.size() > 64 * 1024) {
        std::abort(); // never more than the section holds
    }
    return 0;
}
