// The plug-in's windows whose constructors want more than an owner, each built with what it
// needs: a main window, a host component or a column list, and host services that answer the
// queries the window makes at creation from small literal lists, so the photo shows content.
#include "PluginWindows.h"
#include "bulletin/untSendBNEx.h"
#include "core/untZeph.h"
#include "editions/Editions.h"
#include "export/untSelectCol.h"
#include "recording/untSaveRecordFile.h"
#include "shortmsg/untSMEdit.h"
#include "shortmsg/untSMSelect.h"
#include "testwin/untTestMain.h"

#include <zeph/client/TZephClient.h>
#include <zeph/client/Variant.h>
#include <zeph/text/HostText.h>

#include <support/FakeHostServices.h>
#include <support/Packets.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zeph::qtforms::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// A server list in UTF-8: its field names, then its rows.
struct List {
    std::vector<std::string> fields;
    Rows rows;
};

// What a window was built with; the window, declared last, goes first, the services it
// queried last.
struct Built {
    zeph::testing::ServicesScope<> services;
    std::unique_ptr<morvane::TInterFacefrmMain> main;
    std::optional<TZephClient> client;
    morvane::exporting::TExportColumns columns;
    std::vector<std::string> unticked;
    std::unique_ptr<forms::Form> form;
};

// The window, keeping what it was built with alive until it goes.
MadeWindow Keep(const std::shared_ptr<Built>& built) {
    return MadeWindow(built, built->form.get());
}

// Answers the lists of P_QUERY_MORVANE_DLL, chosen by the flag word before the first "~", in
// the procedure's result layout: [0] success, [1] message, [2] return code, [4] packet.
void AnswerProcedureLists(zeph::testing::FakeHostServices& services,
                          std::map<std::string, List> lists) {
    services.onStoreProcedure = [lists = std::move(lists)](const std::string& procedure,
                                                           const std::string& parameters,
                                                           Variant& result) {
        auto found = lists.find(parameters.substr(0, parameters.find('~')));
        if (procedure != "P_QUERY_MORVANE_DLL" || found == lists.end()) {
            return false;
        }
        result = Variant::Array(0, 5);
        result[0] = true;
        result[1] = "";
        result[2] = 0;
        result[4] = zeph::testing::BuildPacket(found->second.fields, found->second.rows);
        return true;
    };
}

MadeWindow SendBulletin() {
    auto built = std::make_shared<Built>();
    built->services->loadedModules = {"BN"};
    AnswerProcedureLists(
        *built->services,
        {{"GETBULLETINTYPE", {{"TypeID", "TypeName"}, {{"1", "业务通知"}, {"2", "系统公告"}}}},
         {"GETCALLCAUSECFG", {{"ID", "Caption"}, {{"01", "话费查询"}, {"02", "网络故障"}}}},
         {"GETGROUPBYSTAFFNO",
          {{"ClassID", "ClassName"}, {{"G01", "一组"}, {"G02", "二组"}, {"G03", "三组"}}}},
         {"GETSTAFFBYSTAFFNOEX",
          {{"StaffNo", "StaffName", "ClassID"},
           {{"10002", "张三", "G01"}, {"10003", "李四", "G02"}}}},
         {"GETSTAFFBYSTAFFNO", {{"StaffNo", "StaffName"}, {{"20001", "王五"}}}}});
    built->main = std::make_unique<morvane::TInterFacefrmMain>(nullptr, morvane::BuiltEdition());
    auto form = std::make_unique<morvane::bulletin::TfrmSendBNEx>(nullptr, *built->main);
    form->edBulletinTitle.SetText("系统维护通知"_host);
    form->mmBulletinContent.SetText("今晚22:00至23:00系统维护，请提前保存工作。"_host);
    for (forms::ComboBox* dropDown :
         {&form->cbBulletinGrade, &form->cbBulletinType, &form->cbBulletinCallCause}) {
        if (dropDown->Items.Count() > 0) {
            dropDown->SetItemIndex(0);
        }
    }
    built->form = std::move(form);
    return Keep(built);
}

MadeWindow SelectColumns() {
    auto built = std::make_shared<Built>();
    built->columns = {{"SERIALNO", "STAFFNO", "CALLTIME", "CALLER"},
                      {"流水号"_host, "工号"_host, "呼叫时间"_host, "主叫号码"_host}};
    // A column named in the unticked list starts unticked.
    built->unticked = {"CALLTIME=" + "呼叫时间"_host};
    built->form = std::make_unique<morvane::exporting::TfrmSelectCol>(nullptr, built->columns,
                                                                      &built->unticked);
    return Keep(built);
}

MadeWindow SaveRecordFile() {
    auto built = std::make_shared<Built>();
    built->main = std::make_unique<morvane::TInterFacefrmMain>(nullptr, morvane::BuiltEdition());
    auto form = std::make_unique<morvane::recording::TfrmSaveRecordFile>(*built->main);
    // What the window shows once the recording is located.
    form->memFileName.SetText("ftp://127.0.0.1/rec/0571/20261208/1015000002a.v3");
    built->form = std::move(form);
    return Keep(built);
}

MadeWindow EditShortMessage() {
    auto built = std::make_shared<Built>();
    built->services->rights = {"02/010306"};
    built->client.emplace(nullptr);
    auto form = std::make_unique<morvane::shortmsg::TfrmSMEdit>(nullptr, *built->client);
    form->edtReceiverMessage.SetText("13800000001;13800000002");
    form->memContent.SetText("您的宽带报修已受理，我们将尽快处理。"_host);
    built->form = std::move(form);
    return Keep(built);
}

MadeWindow SelectShortMessage() {
    auto built = std::make_shared<Built>();
    built->services->staffCityId = "0571";
    built->services->onOpenByServerFlag = [](const std::string& flag, const std::string&,
                                             Variant& data) {
        if (flag == "ZEPHSC_AG_SELCITY") {
            data = zeph::testing::BuildPacket({"OrgaID", "OrgaName"},
                                              {{"0571", "杭州"}, {"0574", "宁波"}});
        } else {
            data =
                zeph::testing::BuildPacket({"ID", "SUPERID", "CAPTION", "INFOCONTENT", "CityID"},
                                           {{"1", "0", "问候", "", "0"},
                                            {"11", "1", "感谢来电", "感谢您致电，祝您愉快！", "0"},
                                            {"12", "1", "致歉", "给您带来不便，深表歉意。", "0"},
                                            {"2", "0", "业务", "", "0"},
                                            {"21", "2", "宽带报修", "宽带报修已受理。", "0571"}});
        }
        return true;
    };
    built->client.emplace(nullptr);
    auto form = std::make_unique<morvane::shortmsg::TfrmSMSelect>(nullptr, *built->client);
    // The tree is filled by the refresh, as when the window is shown.
    form->btnRefreshClick(form->btnRefresh);
    // A common message chosen, its folder open and its text beside the tree.
    for (forms::TreeNode* node : form->dbMsgList.Items.All()) {
        node->Expand();
        if (node->Text == "感谢来电"_host) {
            form->dbMsgList.SetSelected(node);
        }
    }
    built->form = std::move(form);
    return Keep(built);
}

// The main window is handed its edition's tables by the entry point.
MadeWindow MainWindow() {
    auto built = std::make_shared<Built>();
    built->form = std::make_unique<morvane::TInterFacefrmMain>(nullptr, morvane::BuiltEdition());
    return Keep(built);
}

MadeWindow TestCalls() {
    auto built = std::make_shared<Built>();
    built->main = std::make_unique<morvane::TInterFacefrmMain>(nullptr, morvane::BuiltEdition());
    auto form = std::make_unique<morvane::testwin::TFrmTestMain>(*built->main);
    // The generated input and output fields.
    form->btnGoClick(form->btnGo);
    built->form = std::move(form);
    return Keep(built);
}

} // namespace

const std::vector<PluginWindow>& WindowMakers() {
    static const std::vector<PluginWindow> makers{
        {"TfrmSendBNEx", SendBulletin},         {"TfrmSelectCol", SelectColumns},
        {"TfrmSaveRecordFile", SaveRecordFile}, {"TfrmSMEdit", EditShortMessage},
        {"TfrmSMSelect", SelectShortMessage},   {"TFrmTestMain", TestCalls},
        {"TInterFacefrmMain", MainWindow},
    };
    return makers;
}

std::vector<PluginWindow> BuildablePluginWindows() {
    std::vector<PluginWindow> windows = PluginWindows();
    for (PluginWindow& window : windows) {
        if (window.make) {
            continue;
        }
        for (const PluginWindow& maker : WindowMakers()) {
            if (maker.className == window.className) {
                window.make = maker.make;
            }
        }
    }
    return windows;
}

} // namespace zeph::qtforms::testing
