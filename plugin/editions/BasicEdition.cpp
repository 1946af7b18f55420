// The basic edition: its word table in the order of testing, and the parts of its main window.
#include "bulletin/BulletinPart.h"
#include "core/MainWindowPart.h"
#include "core/WordTable.h"
#include "core/untZeph.h"
#include "export/ExportPart.h"
#include "qcreport/QcReportWords.h"
#include "recording/RecordingWords.h"
#include "services/ServiceWords.h"

#include <memory>

namespace morvane {

namespace {
constexpr WordEntry kWords[] = {
    {"CHECK_STAFF_QUERY", &services::CheckStaffQuery},
    {"CHECK_REPORT", &qcreport::CheckReport},
    {"CHECK_PERSON", &qcreport::CheckPerson},
    {"SAVE_RECORDFILE", &recording::SaveRecordFile},
    {"CHECK_DETAIL", &services::CheckDetail},
    {"GETROUTPACKAGE", &services::GetRoutPackage},
    {"FTP_DOWNLOADFILE", &services::FtpDownloadFile},
    {"LOADFROMFILE", &services::LoadFromFile},
    {"ADDAFFIX", &services::AddAffix},
    {"OPENFILE", &services::OpenFile},
    {"SAVEASFILE", &services::SaveAsFile},
};
} // namespace

std::span<const WordEntry> EditionWordTable() {
    return kWords;
}

void CreateEditionParts(TInterFacefrmMain& main) {
    main.AddPart(std::make_unique<exporting::TExportPart>(main));
    main.AddPart(std::make_unique<bulletin::TBulletinPart>(main));
}

} // namespace morvane
