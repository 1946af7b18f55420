#include "services/RoutPackage.h"

#include <cstring>
#include <string>

namespace morvane {

zeph::Variant ReadRoutField(const zeph::TRoutPackage& package, const zeph::RoutField& field) {
    using K = zeph::RoutFieldKind;
    const unsigned char* at = package.bytes + field.offset;
    switch (field.kind) {
    case K::Char:
        return zeph::Variant(std::string(1, static_cast<char>(at[0])));
    case K::Text: {
        const void* zero = std::memchr(at, 0, field.size);
        std::size_t length =
            zero == nullptr
                ? field.size
                : static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - at);
        return zeph::Variant(std::string(reinterpret_cast<const char*>(at), length));
    }
    case K::UInt8:
        return zeph::Variant(static_cast<int>(at[0]));
    case K::UInt16:
        return zeph::Variant(static_cast<int>(at[0] | (at[1] << 8)));
    }
    return {};
}

} // namespace morvane
