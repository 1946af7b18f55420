// The lookup words: Base64 both ways, a field of the current call's routing package, and the
// monitor of a staff member's work group.
#include "core/RoutPackage.h"
#include "core/untZeph.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/dataset/DataPacket.h>
#include <zeph/text/HostText.h>

#include <optional>
#include <string>
#include <string_view>

namespace morvane {
namespace {

namespace dataset = zeph::dataset;

std::size_t FieldIndex(const dataset::TRecordTable& table, std::string_view name) {
    const auto& fields = table.Fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (zeph::text::SameText(fields[i].name, name)) {
            return i;
        }
    }
    throw dataset::EDataSetError("Field '" + std::string(name) + "' not found");
}

// The value of resultField in the first row whose keyField equals key, ignoring letter case.
std::optional<std::string> Locate(const dataset::TRecordTable& table, std::string_view keyField,
                                  std::string_view key, std::string_view resultField) {
    const std::size_t keyIndex = FieldIndex(table, keyField);
    const std::size_t resultIndex = FieldIndex(table, resultField);
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        if (zeph::text::SameText(table.Value(row, keyIndex), key)) {
            return std::string(table.Value(row, resultIndex));
        }
    }
    return std::nullopt;
}

dataset::TRecordTable LoadPublicData(zeph::TZephClient& client, const std::string& name) {
    return dataset::ReadDataPacket(client.GetPublicData(name).AsText());
}

} // namespace

void TInterFacefrmMain::Base64Decode(const zeph::Variant& Input, zeph::Variant& Output) {
    Output = zeph::Variant::Array(0, 0);
    Output[0] = zeph::Base64Decode(GetInputItem(Input, 1));
}

void TInterFacefrmMain::Base64Encode(const zeph::Variant& Input, zeph::Variant& Output) {
    Output = zeph::Variant::Array(0, 0);
    Output[0] = zeph::Base64Encode(GetInputItem(Input, 1));
}

void TInterFacefrmMain::GetRoutPackage(const zeph::Variant& Input, zeph::Variant& Output) {
    const std::string name = GetInputItem(Input, 1);
    Output = zeph::Variant::Array(0, 1);
    const zeph::TRoutPackage* package = ZephClient.GetRoutPackage();
    const RoutField* field = FindRoutField(name);
    if (field == nullptr) {
        Output[0] = "参数错误"_host;
    } else if (package != nullptr) {
        Output[0] = ReadRoutField(*package, *field);
    }
    // With no current call there is no routing package: a known field stays Empty, which no
    // field of a real package ever gives (texts and numbers only).
}

void TInterFacefrmMain::GetMonitor(const zeph::Variant& Input, zeph::Variant& Output) {
    Output = zeph::Variant::Array(0, 0);
    const std::string staffNo = GetInputItem(Input, 1);
    std::string monitor;
    std::optional<std::string> group =
        Locate(LoadPublicData(ZephClient, "StaffState"), "staffno", staffNo, "WorkGroupName");
    if (group) {
        std::optional<std::string> found =
            Locate(LoadPublicData(ZephClient, "WorkGroup"), "Name", *group, "MonitorNo");
        if (found) {
            monitor = *found;
        }
    }
    Output[0] = monitor;
}

} // namespace morvane
