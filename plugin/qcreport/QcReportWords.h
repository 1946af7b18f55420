// The interface words of the quality-check reports.
#pragma once

#include <zeph/client/Variant.h>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::qcreport {

#if MORVANE_EDITION_FULL
void CheckResult(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void SkillReport(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void CrTabForUpdateIP(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
#endif
void CheckReport(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void CheckPerson(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);

} // namespace morvane::qcreport
