#include "shortmsg/untSMSelect.h"

#include "shortmsg/CommonMessages.h"
#include "shortmsg/FormLayout.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/text/HostText.h>

#include <vector>

namespace morvane::shortmsg {
namespace {

namespace forms = zeph::forms;
namespace dataset = zeph::dataset;

std::size_t FieldIndex(const dataset::TClientDataSet& set, const char* name) {
    return set.FieldByName(name).Index();
}

void OnPage(forms::TabSheet& page, std::initializer_list<forms::Control*> controls) {
    for (forms::Control* control : controls) {
        control->SetParent(&page);
    }
}

} // namespace

TfrmSMSelect::TfrmSMSelect(forms::Component* owner, zeph::TZephClient& client)
    : Form(owner, "frmSMSelect"), client_(client) {
    FrameDialog(*this, "常用消息选择"_host, forms::Position::DesktopCenter, 567, 448);
    FormStyle = forms::FormStyle::StayOnTop;

    pcMain.Align = forms::Align::Client;
    pcMain.SetBounds(0, 0, 567, 448);
    tsSelect.TabVisible = false;
    tsFindResult.TabVisible = false;

    OnPage(tsSelect, {&lblMsgList, &dbMsgList, &lblContent, &mmContent, &lblCity, &cbCity, &lblFind,
                      &EditFind, &btnSearch, &btnRefresh, &btnOK, &btnCancel, &lvList});
    PlaceLabel(lblMsgList, "常用短信息选择"_host, 8, 8);
    dbMsgList.KeyField = "ID";
    dbMsgList.ParentField = "SUPERID";
    dbMsgList.ListField = "CAPTION";
    dbMsgList.ReadOnly = true;
    dbMsgList.ShowHint = true;
    dbMsgList.SetBounds(8, 26, 270, 410);
    PlaceLabel(lblContent, "短信息内容"_host, 288, 8);
    mmContent.ReadOnly = true;
    mmContent.ScrollBars = forms::ScrollStyle::Vertical;
    mmContent.SetBounds(288, 26, 271, 250);
    PlaceLabel(lblCity, "地市："_host, 288, 292);
    cbCity.Style = forms::ComboStyle::DropDownList;
    cbCity.SetBounds(330, 288, 229, 21);
    const std::string& searchHint = "搜索条件约束：当关键字只有汉字时，字数至少要在两个以上"_host;
    PlaceLabel(lblFind, "搜索："_host, 288, 324);
    EditFind.Hint = searchHint;
    EditFind.ShowHint = true;
    EditFind.SetBounds(330, 320, 229, 21);
    PlaceButton(btnSearch, "搜索"_host, 288, 356, 80, 25);
    btnSearch.Hint = searchHint;
    btnSearch.ShowHint = true;
    PlaceButton(btnRefresh, "刷新(&R)"_host, 384, 356, 80, 25);
    PlaceCloseButtons(btnOK, btnCancel, 384, 479, 411, 80);
    lvList.Visible = false;
    lvList.ViewStyle = forms::ViewStyle::Report;
    lvList.AddColumn("编号"_host, 60);
    lvList.AddColumn("消息内容"_host, 200);

    OnPage(tsFindResult, {&lblFindResult, &tvFindResult, &btnFindOk, &btnFindCancel});
    PlaceLabel(lblFindResult, "请选择搜索结果"_host, 8, 8);
    tvFindResult.ReadOnly = true;
    tvFindResult.ShowRoot = false;
    tvFindResult.SetBounds(8, 26, 551, 375);
    PlaceButton(btnFindOk, "确定"_host, 384, 411, 80, 25);
    PlaceButton(btnFindCancel, "取消"_host, 479, 411, 80, 25);

    OnCreate = [this](forms::Form& s) { FormCreate(s); };
    OnShow = [this](forms::Form& s) { FormShow(s); };
    btnRefresh.OnClick = [this](forms::Control& s) { btnRefreshClick(s); };
    cbCity.OnChange = [this](forms::Control& s) { cbCityChange(s); };
    dbMsgList.OnChange = [this](forms::TreeView& s, forms::TreeNode* n) { dbMsgListChange(s, n); };
    dbMsgList.OnClick = [this](forms::Control& s) { dbMsgListClick(s); };
    dbMsgList.OnDblClick = [this](forms::Control& s) { dbMsgListDblClick(s); };
    btnSearch.OnClick = [this](forms::Control& s) { btnSearchClick(s); };
    EditFind.OnKeyPress = [this](forms::Control& s, char& k) { EditFindKeyPress(s, k); };
    btnFindOk.OnClick = [this](forms::Control& s) { btnFindOkClick(s); };
    tvFindResult.OnDblClick = [this](forms::Control& s) { btnFindOkClick(s); };
    btnFindCancel.OnClick = [this](forms::Control& s) { btnFindCancelClick(s); };
    Created();
}

void TfrmSMSelect::FormCreate(forms::Form&) {
    SelectedContent.clear();
    staffCityKey_ = StaffCityKey(client_);
    FetchCities(client_, cdsCity);
}

void TfrmSMSelect::FormShow(forms::Form&) {
    pcMain.SetActivePage(&tsSelect);
}

void TfrmSMSelect::btnRefreshClick(forms::Control&) {
    const TDisabledWhileRunning running(btnRefresh);

    if (!cdsCity.Active() || cdsCity.IsEmpty()) {
        Close();
        return;
    }
    const std::size_t orgaId = FieldIndex(cdsCity, "OrgaID");
    const std::size_t orgaName = FieldIndex(cdsCity, "OrgaName");
    cbCity.Clear();
    int ownCity = -1;
    for (cdsCity.First(); !cdsCity.Eof(); cdsCity.Next()) {
        const std::string key(cdsCity.Value(orgaId));
        if (ownCity < 0 && key == staffCityKey_) {
            ownCity = cbCity.Items.Count();
        }
        cbCity.Items.Add(key + "-" + std::string(cdsCity.Value(orgaName)));
    }
    cbCity.DropDownCount = cbCity.Items.Count() > 14 ? 15 : cbCity.Items.Count();
    cbCity.SetItemIndex(ownCity);

    lvList.Items.Clear();
    if (!FetchCommonMessages(client_, staffCityKey_, cdsMsg)) {
        dbMsgList.Items.Clear();
        return;
    }
    FilterByCity(ChosenCityKey());
    RebuildLists();
}

std::string TfrmSMSelect::ChosenCityKey() const {
    const std::string text = cbCity.Text();
    return text.substr(0, text.find('-'));
}

void TfrmSMSelect::FilterByCity(const std::string& cityKey) {
    const std::size_t cityId = FieldIndex(cdsMsg, "CityID");
    const dataset::TRecordTable& table = cdsMsg.Table();
    cdsMsg.FilterBy([&](std::size_t row) {
        const std::string_view city = table.Value(row, cityId);
        return city == "0" || (!cityKey.empty() && city == cityKey);
    });
}

void TfrmSMSelect::RebuildLists() {
    const std::size_t id = FieldIndex(cdsMsg, "ID");
    const std::size_t superId = FieldIndex(cdsMsg, "SUPERID");
    const std::size_t caption = FieldIndex(cdsMsg, "CAPTION");
    const std::size_t content = FieldIndex(cdsMsg, "INFOCONTENT");
    std::vector<forms::TreeRecord> records;
    lvList.Items.Clear();
    for (cdsMsg.First(); !cdsMsg.Eof(); cdsMsg.Next()) {
        records.push_back({std::string(cdsMsg.Value(id)), std::string(cdsMsg.Value(superId)),
                           std::string(cdsMsg.Value(caption))});
        forms::ListItem& item = lvList.Items.Add();
        item.Caption = std::string(cdsMsg.Value(id));
        item.SubItems.emplace_back(cdsMsg.Value(content));
    }
    dbMsgList.Build(records);
}

void TfrmSMSelect::cbCityChange(forms::Control&) {
    const std::string key = ChosenCityKey();
    if (!cdsMsg.Active() || key.empty()) {
        return;
    }
    FilterByCity(key);
    RebuildLists();
}

bool TfrmSMSelect::ReadLeaf(forms::TreeNode* node) {
    if (node == nullptr || node->HasChildren() || !cdsMsg.Active()) {
        return false;
    }
    const std::size_t id = FieldIndex(cdsMsg, "ID");
    const std::size_t content = FieldIndex(cdsMsg, "INFOCONTENT");
    for (cdsMsg.First(); !cdsMsg.Eof(); cdsMsg.Next()) {
        if (zeph::text::SameText(cdsMsg.Value(id), node->Key)) {
            SelectedContent = std::string(cdsMsg.Value(content));
            mmContent.SetText(SelectedContent);
            dbMsgList.Hint = SelectedContent;
            return true;
        }
    }
    return false;
}

void TfrmSMSelect::dbMsgListChange(forms::TreeView&, forms::TreeNode* node) {
    ReadLeaf(node);
}

void TfrmSMSelect::dbMsgListClick(forms::Control&) {
    ReadLeaf(dbMsgList.Selected());
}

void TfrmSMSelect::dbMsgListDblClick(forms::Control&) {
    if (ReadLeaf(dbMsgList.Selected())) {
        modalResult = forms::ModalResult::Ok;
    }
}

void TfrmSMSelect::EditFindKeyPress(forms::Control& sender, char& key) {
    if (key == '\r') {
        key = 0;
        btnSearchClick(sender);
    }
}

void TfrmSMSelect::btnSearchClick(forms::Control&) {
    const std::string typed = EditFind.Text();
    const std::string wanted = zeph::text::Trim(typed);
    if (wanted.empty()) {
        zeph::InfoDlg("请输入要搜索的内容"_host, Handle());
        return;
    }
    const std::string cityKey = ChosenCityKey();
    if (cityKey.empty()) {
        zeph::InfoDlg("请选择地市"_host, Handle());
        return;
    }
    if (!cdsMsg.Active()) {
        zeph::InfoDlg("找不到'"_host + typed + "'", Handle());
        return;
    }
    mmContent.Clear();
    // A predicate, not a filter text: quotes and "%" in the search text are searched for as
    // they stand.
    const std::size_t cityId = FieldIndex(cdsMsg, "CityID");
    const std::size_t content = FieldIndex(cdsMsg, "INFOCONTENT");
    const dataset::TRecordTable& table = cdsMsg.Table();
    cdsMsg.FilterBy([&](std::size_t row) {
        const std::string_view city = table.Value(row, cityId);
        return (city == "0" || city == cityKey) &&
               zeph::text::Contains(table.Value(row, content), wanted);
    });

    tvFindResult.Items.Clear();
    if (cdsMsg.IsEmpty()) {
        dbMsgList.SetSelected(nullptr);
        zeph::InfoDlg("找不到'"_host + typed + "'", Handle());
    } else {
        for (cdsMsg.First(); !cdsMsg.Eof(); cdsMsg.Next()) {
            tvFindResult.Items.Add(std::string(cdsMsg.Value(content)));
        }
        pcMain.SetActivePage(&tsFindResult);
        tvFindResult.SetSelected(&tvFindResult.Items.Root(0));
    }
    // The whole fetch is visible again; the tree keeps the city it was built for.
    cdsMsg.FilterOff();
    ReadLeaf(dbMsgList.Selected());
}

void TfrmSMSelect::btnFindOkClick(forms::Control&) {
    if (forms::TreeNode* node = tvFindResult.Selected()) {
        mmContent.SetText(node->Text);
    }
    pcMain.SetActivePage(&tsSelect);
}

void TfrmSMSelect::btnFindCancelClick(forms::Control&) {
    pcMain.SetActivePage(&tsSelect);
}

} // namespace morvane::shortmsg
