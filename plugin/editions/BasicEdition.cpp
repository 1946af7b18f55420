// The basic edition: its word table in the order of testing, and the parts of its main window.
#include "bulletin/BulletinPart.h"
#include "bulletin/BulletinWords.h"
#include "core/untZeph.h"
#include "editions/Editions.h"
#include "export/ExportPart.h"
#include "export/ExportWords.h"
#include "qcreport/QcReportWords.h"
#include "recording/RecordingWords.h"
#include "services/ServiceWords.h"
#include "testwin/TestWords.h"

#include <memory>

namespace morvane {

namespace {
constexpr WordEntry kWords[] = {
    {"TEST", &testwin::Test},
    {"CHECK_STAFF_QUERY", &services::CheckStaffQuery},
    {"CHECK_REPORT", &qcreport::CheckReport},
    {"CHECK_PERSON", &qcreport::CheckPerson},
    {"SAVE_DATASET_TO_EXCEL", &exporting::SaveDatasetToExcelBasic},
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
};

void CreateParts(TInterFacefrmMain& main) {
    main.AddPart(std::make_unique<exporting::TExportPart>(main));
    main.AddPart(std::make_unique<bulletin::TBulletinPart>(main));
}
} // namespace

const EditionTables& BuiltEdition() {
    static constexpr EditionTables kTables{kWords, &CreateParts};
    return kTables;
}

} // namespace morvane
