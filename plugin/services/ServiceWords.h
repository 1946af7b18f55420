// The small services: queries that echo or accept their arguments, routing-package and monitor
// lookups, Base64, and the file words (text files, attachments, files of the host's FTP server).
#pragma once

#include <zeph/client/Variant.h>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::services {

void CheckStaffQuery(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void CheckDetail(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);

void GetRoutPackage(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void GetMonitor(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void Base64Decode(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void Base64Encode(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);

void FtpDownloadFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void LoadFromFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void AddAffix(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void OpenFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
void SaveAsFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);

} // namespace morvane::services
