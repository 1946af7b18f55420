// The lookup words: Base64 both ways, a field of the current call's routing package, and the
// monitor of a staff member's work group.
#include "services/RoutPackage.h"
#include "core/untZeph.h"
#include "services/ServiceWords.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/dataset/TClientDataSet.h>
#include <zeph/text/HostText.h>

#include <string>
#include <string_view>

namespace morvane::services {
namespace {

namespace dataset = zeph::dataset;

// Moves to the first record whose field equals value ignoring letter case (whole value, no
// partial match); false when there is none. EDataSetError when the field does not exist.
bool Locate(dataset::TClientDataSet& set, std::string_view fieldName, std::string_view value) {
    const dataset::TField field = set.FieldByName(fieldName);
    for (set.First(); !set.Eof(); set.Next()) {
        if (zeph::text::SameText(field.Text(), value)) {
            return true;
        }
    }
    return false;
}

} // namespace

void Base64Decode(TInterFacefrmMain&, const zeph::Variant& Input, zeph::Variant& Output) {
    Output = zeph::Variant::Array(0, 0);
    Output[0] = zeph::Base64Decode(GetInputItem(Input, 1));
}

void Base64Encode(TInterFacefrmMain&, const zeph::Variant& Input, zeph::Variant& Output) {
    Output = zeph::Variant::Array(0, 0);
    Output[0] = zeph::Base64Encode(GetInputItem(Input, 1));
}

void GetRoutPackage(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    const std::string name = GetInputItem(Input, 1);
    Output = zeph::Variant::Array(0, 1);
    const zeph::TRoutPackage* package = main.ZephClient.GetRoutPackage();
    const zeph::RoutField* field = zeph::FindRoutField(name);
    if (field == nullptr) {
        Output[0] = "参数错误"_host;
    } else if (package != nullptr) {
        Output[0] = ReadRoutField(*package, *field);
    }
    // With no current call there is no routing package: a known field stays Empty, which no
    // field of a real package ever gives (texts and numbers only).
}

void GetMonitor(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    Output = zeph::Variant::Array(0, 0);
    const std::string staffNo = GetInputItem(Input, 1);
    std::string monitor;
    dataset::TClientDataSet cds(nullptr); // freed however the lookup ends
    cds.LoadFromData(main.ZephClient.GetPublicData("StaffState"));
    if (Locate(cds, "staffno", staffNo)) {
        const std::string group = cds.FieldByName("WorkGroupName").AsString();
        cds.LoadFromData(main.ZephClient.GetPublicData("WorkGroup"));
        if (Locate(cds, "Name", group)) {
            monitor = cds.FieldByName("MonitorNo").AsString();
        }
    }
    Output[0] = monitor;
}

} // namespace morvane::services
