// The layout of the routing package (TRoutPackage): where each field lies in the packed
// 926-byte record and how it is held. Hosts pack it; plug-ins read it.
#pragma once

#include <zeph/text/HostText.h>

#include <cstddef>
#include <span>
#include <string_view>

namespace zeph {

enum class RoutFieldKind {
    Char,   // one character, taken unchanged (even a zero byte)
    Text,   // fixed array, ended early by a zero byte
    UInt8,  // unsigned integer
    UInt16, // unsigned integer, little-endian
};

struct RoutField {
    const char* name; // upper-case ASCII
    std::size_t offset;
    std::size_t size;
    RoutFieldKind kind;
};

// The fields in record order; together they cover the record without gaps.
ZEPH_HOST_API std::span<const RoutField> RoutPackageFields();

// The field with this name, ASCII letters compared without case, or nullptr. A name with a
// blank or any other extra character matches nothing.
ZEPH_HOST_API const RoutField* FindRoutField(std::string_view name);

} // namespace zeph
