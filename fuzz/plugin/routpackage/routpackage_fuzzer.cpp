// The routing package as a host might hand it over: any 926 bytes, any field name. Reading
// must stay inside the record and give text or an unsigned number of the field's width.
#include "services/RoutPackage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zeph::TRoutPackage package{};
    const std::size_t recordBytes = size < zeph::kRoutPackageSize ? size : zeph::kRoutPackageSize;
    if (recordBytes > 0) {
        std::memcpy(package.bytes, data, recordBytes);
    }
    const std::string name(reinterpret_cast<const char*>(data) + recordBytes, size - recordBytes);

    if (const zeph::RoutField* field = zeph::FindRoutField(name)) {
        (void)morvane::ReadRoutField(package, *field);
    }
    for (const zeph::RoutField& field : zeph::RoutPackageFields()) {
        zeph::Variant value = morvane::ReadRoutField(package, field);
        switch (field.kind) {
        case zeph::RoutFieldKind::Char:
        case zeph::RoutFieldKind::Text:
            if (value.GetKind() != zeph::Variant::Kind::Text ||
                value.AsText().size() > field.size) {
                std::abort();
            }
            break;
        case zeph::RoutFieldKind::UInt8:
        case zeph::RoutFieldKind::UInt16:
            if (value.GetKind() != zeph::Variant::Kind::Integer || value.AsInteger() < 0 ||
                value.AsInteger() >= (std::int64_t{1} << (8 * field.size))) {
                std::abort();
            }
            break;
        }
    }
    return 0;
}
