// The plug-in's hidden main window: it owns the host client component through which every
// request arrives, and one operation per interface word.
#pragma once

#include "core/WordTable.h"

#include <zeph/client/TZephClient.h>
#include <zeph/client/Variant.h>
#include <zeph/dataset/TClientDataSet.h>
#include <zeph/forms/Dialogs.h>
#include <zeph/forms/Form.h>

#include <memory>
#include <string>

namespace morvane {

class TInterFacefrmMain : public zeph::forms::Form {
public:
    explicit TInterFacefrmMain(zeph::forms::Component* owner);
    ~TInterFacefrmMain() override;

    zeph::TZephClient ZephClient{this, "ZephClient"};
    zeph::forms::SaveDialog sd{this, "sd"};
    // The bulletin and note web-service clients; their services are not part of this build.
    zeph::forms::Component hprSendBulletin{this, "hprSendBulletin"};
    zeph::forms::Component hprSendNote{this, "hprSendNote"};
    zeph::dataset::TClientDataSet cdsIPPort{this, "cdsIPPort"};
    zeph::dataset::TClientDataSet cdsBulletinType{this, "cdsBulletinType"};
    zeph::dataset::TClientDataSet cdsBulletinCallCause{this, "cdsBulletinCallCause"};
    zeph::dataset::TClientDataSet cdsStaff{this, "cdsStaff"};
    zeph::dataset::TClientDataSet cdsGroup{this, "cdsGroup"};
#if MORVANE_EDITION_FULL
    zeph::forms::SaveDialog SaveDialog{this, "SaveDialog"};
    // The spreadsheet export components; the exports are not part of this build.
    zeph::forms::Component ZephExportToXLS{this, "ZephExportToXLS"};
    zeph::forms::Component ZephExportToExcel{this, "ZephExportToExcel"};
#endif

    // The request handler bound to ZephClient.OnCalled.
    void ZephClientCalled(zeph::forms::Component* sender, int further, const zeph::Variant& Input,
                          zeph::Variant& Output);
    void FormClose(zeph::forms::Form& sender, zeph::forms::CloseAction& action);

    // Interface words.
    void CheckStaffQuery(const zeph::Variant& Input, zeph::Variant& Output);
    void CheckDetail(const zeph::Variant& Input, zeph::Variant& Output);

    // Quality-check reports.
    void CheckResult(const zeph::Variant& Input, zeph::Variant& Output);
    void SkillReport(const zeph::Variant& Input, zeph::Variant& Output);
    void CheckReport(const zeph::Variant& Input, zeph::Variant& Output);
    void CheckPerson(const zeph::Variant& Input, zeph::Variant& Output);
    void CrTabForUpdateIP(const zeph::Variant& Input, zeph::Variant& Output);

    // Files, text and lookups.
    void GetRoutPackage(const zeph::Variant& Input, zeph::Variant& Output);
    void FtpDownloadFile(const zeph::Variant& Input, zeph::Variant& Output);
    void LoadFromFile(const zeph::Variant& Input, zeph::Variant& Output);
    void AddAffix(const zeph::Variant& Input, zeph::Variant& Output);
    void OpenFile(const zeph::Variant& Input, zeph::Variant& Output);
    void SaveAsFile(const zeph::Variant& Input, zeph::Variant& Output);
    void GetMonitor(const zeph::Variant& Input, zeph::Variant& Output);
    void Base64Decode(const zeph::Variant& Input, zeph::Variant& Output);
    void Base64Encode(const zeph::Variant& Input, zeph::Variant& Output);

    // The owner handle this window passes to its message boxes.
    zeph::forms::WindowHandle OwnerHandle() {
        return Handle();
    }

private:
    void HandleNumericCode(int code, const zeph::Variant& Input, zeph::Variant& Output);
};

// Element i of Input as text: empty when Input is Null or Empty or has no element i.
std::string GetInputItem(const zeph::Variant& Input, int i);

} // namespace morvane
