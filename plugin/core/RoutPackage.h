// The routing package: the packed 926-byte record of the current call that the host client hands
// out, and reading one of its fields by name as the host expects it.
#pragma once

#include <zeph/client/HostServices.h>
#include <zeph/client/Variant.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace morvane {

enum class RoutFieldKind {
    Char,   // one character, taken unchanged (even a zero byte)
    Text,   // fixed array, cut at the first zero byte
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
std::span<const RoutField> RoutPackageFields();

// The field with this name (ASCII letters compared without case), or nullptr.
const RoutField* FindRoutField(std::string_view name);

// The field's value read from the record.
zeph::Variant ReadRoutField(const zeph::TRoutPackage& package, const RoutField& field);

} // namespace morvane
