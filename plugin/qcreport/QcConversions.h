// The quality-check report conversions. Each gives back its report packet (empty on failure),
// an error text and, for three of them, a count; the interface words turn that into Output.
#pragma once

#include "core/Edition.h"

#include <zeph/client/TZephClient.h>

#include <cstdint>
#include <string>

namespace morvane::qcreport {

using morvane::Edition;
using morvane::kBuildEdition;

struct TConversionResult {
    std::string packet; // empty on failure
    std::string error;
    int count = 0;
};

// CHECK_RESULT: the check result detail report; count = distinct serial numbers.
TConversionResult ConvertCheckResult(zeph::TZephClient& client, const std::string& xml,
                                     const std::string& objectId, const std::string& contentId,
                                     const std::string& key);
// SKILL_REPORT: item scores by staff; count = distinct staff numbers.
TConversionResult ConvertSkillReport(zeph::TZephClient& client, const std::string& xml,
                                     const std::string& objectId, const std::string& contentId,
                                     const std::string& key);
// CHECK_REPORT: one page of content scores by staff; count = row blocks (page size 0: staff).
TConversionResult ConvertCheckReport(zeph::TZephClient& client, const std::string& xml,
                                     const std::string& objectId, int pageNumber, int pageSize,
                                     Edition edition = kBuildEdition);
// CHECK_PERSON: one staff member's evaluation. Errors other than its own messages propagate.
TConversionResult ConvertCheckPerson(zeph::TZephClient& client, const std::string& xml,
                                     const std::string& objectId, const std::string& staffNo,
                                     Edition edition = kBuildEdition);
// CRTABFORUPDATEIP: addresses folded into rows of columns, any count of one or more. A table
// larger than kMaxIpTableBytes (worked out before it is built) is refused. Errors other than its
// own messages propagate.
inline constexpr std::uint64_t kMaxIpTableBytes = std::uint64_t{1} << 30;
TConversionResult ConvertIpTable(const std::string& xml, int columns);

} // namespace morvane::qcreport
