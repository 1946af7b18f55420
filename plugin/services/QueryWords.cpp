// Words that answer from their arguments alone.
#include "core/untZeph.h"
#include "services/ServiceWords.h"

namespace morvane::services {

void CheckStaffQuery(TInterFacefrmMain&, const zeph::Variant& Input, zeph::Variant& Output) {
    Output = zeph::Variant::Array(0, 2);
    Output[0] = "True";
    Output[1] = GetInputItem(Input, 1) + GetInputItem(Input, 2) + GetInputItem(Input, 3);
    Output[2] = "0";
}

void CheckDetail(TInterFacefrmMain&, const zeph::Variant&, zeph::Variant&) {
    // Accepted for callers that send it; it has no work.
}

} // namespace morvane::services
