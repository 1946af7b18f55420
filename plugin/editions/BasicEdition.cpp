// The basic edition's word table, in the order of testing.
#include "core/WordTable.h"
#include "core/untZeph.h"

namespace morvane {

namespace {
using M = TInterFacefrmMain;
constexpr WordEntry kWords[] = {
    {"CHECK_STAFF_QUERY", &M::CheckStaffQuery},
    {"CHECK_REPORT", &M::CheckReport},
    {"CHECK_PERSON", &M::CheckPerson},
    {"CHECK_DETAIL", &M::CheckDetail},
    {"GETROUTPACKAGE", &M::GetRoutPackage},
    {"FTP_DOWNLOADFILE", &M::FtpDownloadFile},
    {"LOADFROMFILE", &M::LoadFromFile},
    {"ADDAFFIX", &M::AddAffix},
    {"OPENFILE", &M::OpenFile},
    {"SAVEASFILE", &M::SaveAsFile},
};
} // namespace

std::span<const WordEntry> EditionWordTable() {
    return kWords;
}

} // namespace morvane
