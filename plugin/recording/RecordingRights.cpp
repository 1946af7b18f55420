#include "recording/RecordingRights.h"

#include "core/untZeph.h"

namespace morvane::recording {
namespace {

constexpr const char* kModule = "02";
constexpr const char* kSaveEveryRecording = "020205";
constexpr const char* kSaveOwnRecordings = "020216";

} // namespace

bool CanSaveRecording(TInterFacefrmMain& main, const std::string& staffNo) {
    zeph::TZephClient& client = main.ZephClient;
    if (client.HasAuth(kModule, kSaveEveryRecording)) {
        return true;
    }
    if (staffNo == client.GetWorkerNO() && client.HasAuth(kModule, kSaveOwnRecordings)) {
        return true;
    }
    zeph::dataset::TClientDataSet& staff = main.cdsStaff;
    if (staff.Table().RowCount() == 0) {
        staff.LoadFromData(client.GetPublicData("Staff"));
    }
    // Read straight from the rows, so the table's cursor and filter, which the bulletin window
    // shares, stay as they were.
    const int staffField = staff.FindField("StaffNo");
    const int rightField = staff.FindField("RecordTypeAuthID");
    if (staffField < 0) {
        return false;
    }
    const zeph::dataset::TRecordTable& rows = staff.Table();
    for (std::size_t row = 0; row < rows.RowCount(); ++row) {
        if (rows.Value(row, static_cast<std::size_t>(staffField)) != staffNo) {
            continue;
        }
        // Rows that carry no right code (the bulletin window's lookup may fill the table with
        // such rows) protect nothing the agent holds.
        const std::string right =
            rightField < 0 ? std::string()
                           : std::string(rows.Value(row, static_cast<std::size_t>(rightField)));
        return !right.empty() && client.HasAuth(kModule, right);
    }
    return false;
}

} // namespace morvane::recording
