// SAVE_RECORDFILE and SAVE_CONVEYRECORDFILE: a save window per recording of the call, one
// after the other.
#include "core/untZeph.h"
#include "recording/RecordingRights.h"
#include "recording/RecordingWords.h"
#include "recording/untSaveRecordFile.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/dataset/TClientDataSet.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvane::recording {
namespace {

// The recording paths of the call, in the procedure's order: nullopt when the call failed,
// none when the server's return code is not 0 or it sent no rows.
std::optional<std::vector<std::string>> RecordingPaths(TInterFacefrmMain& main,
                                                       const char* procedure, const char* pathField,
                                                       const std::string& serialNo) {
    zeph::Variant result;
    if (!main.ZephClient.StoreProcedure(procedure, serialNo, result)) {
        return std::nullopt;
    }
    std::vector<std::string> paths;
    const bool answered = result.IsArray() && result.LowBound() <= 2 && result.HighBound() >= 4;
    if (!answered || result[2].IsArray() || result[2].AsText() != "0") {
        return paths;
    }
    zeph::dataset::TClientDataSet rows(nullptr, "cdsRecordFile");
    rows.LoadFromData(result[4]);
    if (!rows.Active()) {
        return paths;
    }
    const zeph::dataset::TField path = rows.FieldByName(pathField);
    for (rows.First(); !rows.Eof(); rows.Next()) {
        paths.push_back(path.AsString());
    }
    return paths;
}

void SaveRecordings(TInterFacefrmMain& main, const zeph::Variant& Input, const char* procedure,
                    const char* pathField) {
    const std::string serialNo = GetInputItem(Input, 1);
    const std::string staffNo = GetInputItem(Input, 2);
    if (!CanSaveRecording(main, staffNo)) {
        zeph::InfoDlg("您没有保存流水号〖"_host + serialNo + "〗录音的权限！"_host,
                      main.OwnerHandle());
        return;
    }
    std::optional<std::vector<std::string>> paths =
        RecordingPaths(main, procedure, pathField, serialNo);
    if (!paths) {
        return;
    }
    if (paths->empty()) {
        zeph::InfoDlg("本记录无录音文件！"_host, main.OwnerHandle());
        return;
    }
    for (const std::string& path : *paths) {
        auto* window = main.Adopt(std::make_unique<TfrmSaveRecordFile>(main));
        window->ShowRecordFile(path, staffNo, serialNo);
    }
}

} // namespace

void SaveRecordFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    SaveRecordings(main, Input, "P_SV_GETRECORDFILEPATH", "FILEPATH");
}

#if MORVANE_EDITION_FULL
void SaveConveyRecordFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    SaveRecordings(main, Input, "P_SV_GETCONVEYRECORDFILEPATH", "FILENAME");
}
#endif

} // namespace morvane::recording
