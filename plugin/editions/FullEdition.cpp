// The full edition: its word table in the order of testing, and the parts of its main window.
#include "bulletin/BulletinPart.h"
#include "bulletin/BulletinWords.h"
#include "core/untZeph.h"
#include "editions/Editions.h"
#include "export/ExportPart.h"
#include "export/ExportWords.h"
#include "qcreport/QcReportWords.h"
#include "recording/RecordingPart.h"
#include "recording/RecordingWords.h"
#include "services/ServiceWords.h"
#include "shortmsg/ShortMsgWords.h"
#include "testwin/TestWords.h"

#include <memory>

namespace morvane {

namespace {
constexpr WordEntry kWords[] = {
    {"TEST", &testwin::Test},
    {"CHECK_STAFF_QUERY", &services::CheckStaffQuery},
    {"CHECK_RESULT", &qcreport::CheckResult},
    {"SKILL_REPORT", &qcreport::SkillReport},
    {"CHECK_REPORT", &qcreport::CheckReport},
    {"CHECK_PERSON", &qcreport::CheckPerson},
    {"SAVE_DATASET_TO_FILE", &exporting::SaveDatasetToFile},
    {"SAVE_DATASET_TO_EXCEL", &exporting::SaveDatasetToExcel},
    {"SAVE_RECORDFILE", &recording::SaveRecordFile},
    {"CHECK_DETAIL", &services::CheckDetail},
    {"GETROUTPACKAGE", &services::GetRoutPackage},
    {"FTP_DOWNLOADFILE", &services::FtpDownloadFile},
    {"LOADFROMFILE", &services::LoadFromFile},
    {"ADDAFFIX", &services::AddAffix},
    {"OPENFILE", &services::OpenFile},
    {"SAVEASFILE", &services::SaveAsFile},
    {"SENDNOTE", &bulletin::SendNoteWord},
    {"SENDBULLETIN", &bulletin::SendBulletinWord},
    {"SENDBNNOTEWINDOW", &bulletin::SendBNNoteWindow},
    {"SENDBNBULLETINWINDOW", &bulletin::SendBNBulletinWindow},
    {"CRTABFORUPDATEIP", &qcreport::CrTabForUpdateIP},
    {"SENDSM", &shortmsg::SendSM},
    {"SAVE_CONVEYRECORDFILE", &recording::SaveConveyRecordFile},
    {"GETMONITOR", &services::GetMonitor},
    {"PLAY_RECORDFILE", &recording::PlayRecordFile},
    {"BASE64DECODE", &services::Base64Decode},
    {"BASE64ENCODE", &services::Base64Encode},
};

void CreateParts(TInterFacefrmMain& main) {
    main.AddPart(std::make_unique<exporting::TExportPart>(main));
    main.AddPart(std::make_unique<bulletin::TBulletinPart>(main));
    main.AddPart(std::make_unique<recording::TRecordingPart>());
}
} // namespace

const EditionTables& BuiltEdition() {
    static constexpr EditionTables kTables{kWords, &CreateParts};
    return kTables;
}

} // namespace morvane
