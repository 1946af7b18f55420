// The routing package of the current call, packed from the desk's rout_field table.
#pragma once

#include <zeph/client/HostServices.h>
#include <zeph/client/RoutPackageLayout.h>
#include <zeph/emulator/Database.h>

#include <optional>
#include <span>
#include <string>

namespace zeph::emulator {

// Packs field name/value pairs: text (UTF-8, converted to host text) is cut to the field's size
// and zero-filled; a blob is copied unchanged; numbers go little-endian. EDatabaseError names a
// field the layout lacks, a number that does not fit, or a non-number for a numeric field.
TRoutPackage PackRoutPackage(const std::vector<std::pair<std::string, Cell>>& fields);

// The configured package, or nothing when the rout_field table is empty or absent.
std::optional<TRoutPackage> LoadRoutPackage(Database& db);

} // namespace zeph::emulator
