#include <zeph/client/HostServices.h>
#include <zeph/client/RoutPackageLayout.h>

#include <string>

namespace zeph {
namespace {

using K = RoutFieldKind;
constexpr RoutField kFields[] = {
    {"BIGZONE", 0, 1, K::Char},
    {"CITYCODE", 1, 5, K::Text},
    {"USERCLASS", 6, 3, K::Text},
    {"TRANSFERFLAG", 9, 10, K::Text},
    {"CHARLANGUAGE", 19, 1, K::Char},
    {"CALLERNO", 20, 20, K::Text},
    {"CALLEENO", 40, 20, K::Text},
    {"SERVICENO", 60, 20, K::Text},
    {"USERTYPE", 80, 1, K::UInt8},
    {"CHECKPSWIVR", 81, 20, K::Text},
    {"DIGITCODE", 101, 20, K::Text},
    {"KEYTRACE", 121, 100, K::Text},
    {"BRANCHTRACE", 221, 196, K::Text},
    {"ENTERDATETIME", 417, 16, K::Text},
    {"CONFIRMDATETIME", 433, 16, K::Text},
    {"DELAYTIME", 449, 2, K::UInt16},
    {"CHECKFLAG", 451, 1, K::Char},
    {"LOGFLAG", 452, 1, K::Char},
    {"SERVICELOCALDSN", 453, 20, K::Text},
    {"LOGLOCALDSN", 473, 20, K::Text},
    {"ROUTFAILCOUNTER", 493, 1, K::UInt8},
    {"SERIALID", 494, 20, K::Text},
    {"PATHHEAD", 514, 20, K::Text},
    {"EXT1", 534, 196, K::Text},
    {"EXT2", 730, 196, K::Text},
};

constexpr bool FieldsTileTheRecord() {
    std::size_t next = 0;
    for (const RoutField& field : kFields) {
        if (field.offset != next) {
            return false;
        }
        next += field.size;
    }
    return next == kRoutPackageSize;
}
static_assert(FieldsTileTheRecord(), "routing package fields must cover the packed record");

} // namespace

std::span<const RoutField> RoutPackageFields() {
    return kFields;
}

const RoutField* FindRoutField(std::string_view name) {
    const std::string wanted = text::UpperCase(name);
    for (const RoutField& field : kFields) {
        if (wanted == field.name) {
            return &field;
        }
    }
    return nullptr;
}

} // namespace zeph
