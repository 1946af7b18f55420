// The routing package: the packed 926-byte record of the current call that the host client hands
// out, and reading one of its fields by name as the host expects it.
#pragma once

#include <zeph/client/HostServices.h>
#include <zeph/client/RoutPackageLayout.h>
#include <zeph/client/Variant.h>

namespace morvane {

// The field's value read from the record.
zeph::Variant ReadRoutField(const zeph::TRoutPackage& package, const zeph::RoutField& field);

} // namespace morvane
