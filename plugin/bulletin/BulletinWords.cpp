#include "bulletin/BulletinWords.h"

#include "bulletin/BulletinSend.h"
#include "bulletin/untSendBNEx.h"
#include "core/untZeph.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/text/HostText.h>

#include <string>

namespace morvane::bulletin {
namespace {

bool ModuleLoaded(TInterFacefrmMain& main) {
    return main.ZephClient.HadLoadModule("BN", "");
}

const std::string& NotLoaded() {
    return "公告便笺系统没有加载，无法执行此功能！"_host;
}

void Answer(const std::string& result, zeph::Variant& Output) {
    Output = zeph::Variant::Array(0, 1);
    Output[0] = zeph::text::Contains(result, "成功"_host) ? "True" : "False";
    Output[1] = result;
}

} // namespace

void RunSendNote(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output,
                 Edition edition) {
    const std::string title = GetInputItem(Input, 1);
    const std::string grade = GetInputItem(Input, 2);
    const std::string staff = GetInputItem(Input, 3);
    const std::string groups = GetInputItem(Input, 4);
    const std::string content = GetInputItem(Input, 5);
    const std::string module = edition == Edition::Full ? GetInputItem(Input, 6) : std::string();
    const std::string result =
        ModuleLoaded(main) ? SendNote(main, title, grade, staff, groups, content, module, edition)
                           : NotLoaded();
    Answer(result, Output);
}

void SendNoteWord(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    RunSendNote(main, Input, Output, kBuildEdition);
}

void SendBulletinWord(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    const std::string result =
        ModuleLoaded(main) ? SendBulletin(main, GetInputItem(Input, 1), GetInputItem(Input, 2),
                                          GetInputItem(Input, 3), GetInputItem(Input, 4),
                                          GetInputItem(Input, 5), GetInputItem(Input, 6))
                           : NotLoaded();
    Answer(result, Output);
}

void RunSendBNNoteWindow(TInterFacefrmMain& main, const zeph::Variant& Input, Edition edition) {
    if (!ModuleLoaded(main)) {
        zeph::InfoDlg(NotLoaded(), zeph::forms::kNoOwner);
        return;
    }
    ShowNoteWindow(main, GetInputItem(Input, 1), GetInputItem(Input, 2), GetInputItem(Input, 3),
                   GetInputItem(Input, 4), GetInputItem(Input, 5), edition);
}

void RunSendBNBulletinWindow(TInterFacefrmMain& main, const zeph::Variant& Input, Edition edition) {
    if (!ModuleLoaded(main)) {
        zeph::InfoDlg(NotLoaded(), zeph::forms::kNoOwner);
        return;
    }
    ShowBulletinWindow(main, GetInputItem(Input, 1), GetInputItem(Input, 2), GetInputItem(Input, 3),
                       GetInputItem(Input, 4), GetInputItem(Input, 5), GetInputItem(Input, 6),
                       edition);
}

void SendBNNoteWindow(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    RunSendBNNoteWindow(main, Input, kBuildEdition);
}

void SendBNBulletinWindow(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    RunSendBNBulletinWindow(main, Input, kBuildEdition);
}

} // namespace morvane::bulletin
