// PLAY_RECORDFILE: the host plays a call's recording at once, or the agent picks one of
// several in the selection window.
#include "core/untZeph.h"
#include "recording/RecordingPart.h"
#include "recording/RecordingWords.h"

#include <zeph/dataset/TClientDataSet.h>

#include <string>

namespace morvane::recording {

void PlayRecordFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    const std::string serialNo = GetInputItem(Input, 1);
    if (serialNo.empty()) {
        return;
    }
    zeph::TZephClient& client = main.ZephClient;
    client.WriteLog(" PlayDrecordFile(serino:" + serialNo + ")", {});

    client.WriteLog(" getDrecordFile(serino:" + serialNo + ")", {});
    zeph::dataset::TClientDataSet rows(nullptr, "cdsRecordFile");
    zeph::Variant result;
    if (!client.StoreProcedure("P_CASE_EXECUTEQUERY", "ZEPHSC_CASE_SELECTRECORDFILE~" + serialNo,
                               result)) {
        return;
    }
    if (result.IsArray() && result.LowBound() <= 4 && result.HighBound() >= 4) {
        rows.LoadFromData(result[4]);
    }
    client.WriteLog(" getDrecordFile  end ;", {});

    if (!rows.Active() || rows.RecordCount() == 0) {
        return;
    }
    if (rows.RecordCount() == 1) {
        rows.First();
        client.BeginPlayFile(rows.FieldByName("FILENAME").AsString());
    } else {
        main.Part<TRecordingPart>().ShowRecordFiles(rows, client);
    }
    client.WriteLog(" PlayDrecordFile end", {});
}

} // namespace morvane::recording
