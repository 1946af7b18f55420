#include "bulletin/untSendBNEx.h"

#include "bulletin/BulletinPart.h"
#include "bulletin/BulletinSend.h"
#include "bulletin/ComposeLists.h"
#include "bulletin/KeyLists.h"
#include "core/untZeph.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/text/HostText.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

namespace morvane::bulletin {
namespace {

namespace forms = zeph::forms;
namespace text = zeph::text;

constexpr int kMaxTitleBytes = 100;
constexpr int kMaxContentBytes = 4000;
constexpr int kPickListHeight = 132;
constexpr int kMaxDropDownRows = 10;

void FillGrades(forms::ComboBox& dropDown, int count) {
    const std::string grades[] = {"1 - 一般"_host, "2 - 紧急"_host, "3 - 特急"_host,
                                  "4 - 故障"_host};
    for (int i = 0; i < count; ++i) {
        dropDown.Items.Add(grades[i]);
    }
    dropDown.DropDownCount = count;
}

// "key - name" per row of the dataset, in row order.
void FillFrom(forms::ComboBox& dropDown, zeph::dataset::TClientDataSet& dataSet,
              const char* keyField, const char* nameField) {
    const zeph::dataset::TField key = dataSet.FieldByName(keyField);
    const zeph::dataset::TField name = dataSet.FieldByName(nameField);
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        dropDown.Items.Add(key.AsString() + " - " + name.AsString());
    }
}

// The key of the chosen item; empty when nothing is chosen.
std::string ChosenKey(const forms::ComboBox& dropDown) {
    return dropDown.ItemIndex() < 0 ? std::string() : KeyOf(dropDown.Text());
}

void Place(forms::Control& control, forms::WinControl& page, int left, int top, int width,
           int height) {
    control.SetParent(&page);
    control.SetBounds(left, top, width, height);
}

void Labelled(forms::Label& label, forms::WinControl& page, const std::string& caption, int top) {
    label.SetParent(&page);
    label.Left = 12;
    label.Top = top + 4;
    label.SetCaption(caption);
}

void Hinted(forms::Control& control, const std::string& hint) {
    control.Hint = hint;
    control.ShowHint = true;
}

} // namespace

TfrmSendBNEx::TfrmSendBNEx(forms::Component* owner, TInterFacefrmMain& main, Edition edition)
    : Form(owner, "frmSendBNEx"), main_(main), part_(main.Part<TBulletinPart>()),
      edition_(edition) {
    BorderIcons = forms::biSystemMenu;
    Width = 499;
    Height = 361;
    Constraints.MinWidth = 499;
    Constraints.MinHeight = 361;
    Position = forms::Position::ScreenCenter;
    PlaceControls();

    cbBulletinGrade.OnChange = [this](forms::Control&) { cbBulletinGradeChange(); };
    rbRecvStaffNos.OnClick = [this](forms::Control&) { rbRecvStaffNosClick(); };
    rbRecvGroups.OnClick = [this](forms::Control&) { rbRecvGroupsClick(); };
    edBulletinGroup.OnButtonClick = [this](forms::Control&) {
        ShowPickList(edBulletinGroup, part_.cdsGroup, "CLASSID", "CLASSNAME");
    };
    edNoteRecvStaff.OnButtonClick = [this](forms::Control&) {
        ShowPickList(edNoteRecvStaff, main_.cdsStaff, "StaffNo", "StaffName");
    };
    edNOteRecvGroup.OnButtonClick = [this](forms::Control&) {
        ShowPickList(edNOteRecvGroup, part_.cdsGroup, "ClassID", "ClassName");
    };
    lbList.OnClick = [this](forms::Control&) { lbListClick(); };
    lbList.OnKeyUp = [this](forms::Control&, std::uint16_t& key, forms::ShiftState) {
        lbListKeyUp(key);
    };
    lbList.OnExit = [this](forms::Control&) { lbListExit(); };
    btnBulletinSend.OnClick = [this](forms::Control&) { btnBulletinSendClick(); };
    btnNoteSend.OnClick = [this](forms::Control&) { btnNoteSendClick(); };
    OnCreate = [this](forms::Form&) { FormCreate(); };
    Created();
}

void TfrmSendBNEx::PlaceControls() {
    pcSendBN.Align = forms::Align::Client;
    pcSendBN.SetBounds(0, 0, ClientWidth(), ClientHeight());
    tsBulletin.TabVisible = false;
    tsNote.TabVisible = false;
    tsBulletin.Caption = "公告"_host;
    tsNote.Caption = "便笺"_host;

    Labelled(lblBulletinTitle, tsBulletin, "标题："_host, 10);
    Place(edBulletinTitle, tsBulletin, 84, 10, 380, 21);
    edBulletinTitle.MaxLength = kMaxTitleBytes;
    Hinted(edBulletinTitle, "请输入公告标题，最大长度50个汉字"_host);
    Labelled(lblBulletinGrade, tsBulletin, "优先级："_host, 38);
    Place(cbBulletinGrade, tsBulletin, 84, 38, 140, 21);
    cbBulletinGrade.Style = forms::ComboStyle::DropDownList;
    Hinted(cbBulletinGrade, "请选择公告的优先级，优先级为故障时才能选来电原因"_host);
    Labelled(lblBulletinGroup, tsBulletin, "接收群组："_host, 66);
    Place(edBulletinGroup, tsBulletin, 84, 66, 380, 21);
    Hinted(edBulletinGroup, "请输入接收群组，多个群组之间可用全角或半角的逗号或分号分开"_host);
    Labelled(lblBulletinType, tsBulletin, "公告类型："_host, 94);
    Place(cbBulletinType, tsBulletin, 84, 94, 140, 21);
    cbBulletinType.Style = forms::ComboStyle::DropDownList;
    Hinted(cbBulletinType, "请选择公告类型"_host);
    Labelled(lblBulletinCallCause, tsBulletin, "来电原因："_host, 122);
    Place(cbBulletinCallCause, tsBulletin, 84, 122, 380, 21);
    cbBulletinCallCause.Style = forms::ComboStyle::DropDownList;
    Hinted(cbBulletinCallCause, "请选择来电原因，当优先级为故障时才能选择来电原因"_host);
    Labelled(lblBulletinContent, tsBulletin, "内容："_host, 150);
    Place(mmBulletinContent, tsBulletin, 84, 150, 380, 120);
    mmBulletinContent.MaxLength = kMaxContentBytes;
    mmBulletinContent.ScrollBars = forms::ScrollStyle::Both;
    Hinted(mmBulletinContent, "请输入公告的内容，最大长度2000个汉字"_host);
    Place(btnBulletinSend, tsBulletin, 300, 282, 75, 25);
    btnBulletinSend.Caption = "发送"_host;
    Place(btnBulletinClose, tsBulletin, 389, 282, 75, 25);
    btnBulletinClose.Caption = "关闭"_host;
    btnBulletinClose.ModalResult = forms::ModalResult::Cancel;

    Labelled(lblNoteTitle, tsNote, "标题："_host, 10);
    Place(edNoteTitle, tsNote, 84, 10, 380, 21);
    edNoteTitle.MaxLength = kMaxTitleBytes;
    Hinted(edNoteTitle, "请输入便笺的标题，最大长度50个汉字"_host);
    Labelled(lblNoteGrade, tsNote, "优先级："_host, 38);
    Place(cbNoteGrade, tsNote, 84, 38, 140, 21);
    cbNoteGrade.Style = forms::ComboStyle::DropDownList;
    Hinted(cbNoteGrade, "请选择便笺的优先级"_host);
    Place(rbRecvStaffNos, tsNote, 8, 66, 76, 21);
    rbRecvStaffNos.Caption = "接收工号："_host;
    Place(edNoteRecvStaff, tsNote, 84, 66, 380, 21);
    edNoteRecvStaff.ButtonHint = "请选择工号"_host;
    Hinted(edNoteRecvStaff, "请输入接收工号，多个工号之间可用全角或半角的逗号或分号分开"_host);
    Place(rbRecvGroups, tsNote, 8, 94, 76, 21);
    rbRecvGroups.Caption = "接收群组："_host;
    Place(edNOteRecvGroup, tsNote, 84, 94, 380, 21);
    edNOteRecvGroup.ButtonHint = "请选择群组"_host;
    Hinted(edNOteRecvGroup, "请输入接收群组，多个群组之间可用全角或半角的逗号或分号分开"_host);
    Labelled(lblNoteContent, tsNote, "内容："_host, 122);
    Place(mmNoteContent, tsNote, 84, 122, 380, 148);
    mmNoteContent.MaxLength = kMaxContentBytes;
    Hinted(mmNoteContent, "请输入便笺内容，最大长度2000个汉字"_host);
    Place(btnNoteSend, tsNote, 300, 282, 75, 25);
    btnNoteSend.Caption = "发送"_host;
    Place(btnNoteClose, tsNote, 389, 282, 75, 25);
    btnNoteClose.Caption = "关闭"_host;
    btnNoteClose.ModalResult = forms::ModalResult::Cancel;
    // The start state of the receivers: staff numbers, the group edit off.
    rbRecvStaffNos.SetChecked(true);
    edNOteRecvGroup.Enabled = false;

    lbList.MultiSelect = true;
    lbList.Visible = false;
    lbList.Height = kPickListHeight;
}

void TfrmSendBNEx::FormCreate() {
    FillGrades(cbBulletinGrade, 4);
    FillGrades(cbNoteGrade, 3);
    // Each list stops the creation when the server refuses it (the lists after it stay
    // closed); one that cannot be fetched leaves its drop-down empty.
    const TComposeLists lists = FetchComposeLists(main_, part_, edition_);
    if (lists.bulletinTypes == ListFetch::Open) {
        FillFrom(cbBulletinType, part_.cdsBulletinType, "TypeID", "TypeName");
    }
    if (lists.callCauses == ListFetch::Open) {
        FillFrom(cbBulletinCallCause, part_.cdsBulletinCallCause, "ID", "Caption");
    }
    // Every filled drop-down, also when a refusal ended the lists part-way.
    for (forms::ComboBox* dropDown : {&cbBulletinType, &cbBulletinCallCause}) {
        if (dropDown->Items.Count() > 0) {
            dropDown->DropDownCount = std::min(dropDown->Items.Count(), kMaxDropDownRows);
        }
    }
}

void TfrmSendBNEx::SelectItemByKey(forms::ComboBox& dropDown, const std::string& key) {
    const std::string wanted = text::Trim(key);
    for (int i = 0; i < dropDown.Items.Count(); ++i) {
        if (text::SameText(KeyOf(dropDown.Items[i]), wanted)) {
            dropDown.SetItemIndex(i);
            return;
        }
    }
}

void TfrmSendBNEx::cbBulletinGradeChange() {
    cbBulletinCallCause.Enabled = ChosenKey(cbBulletinGrade) == "4";
}

void TfrmSendBNEx::rbRecvStaffNosClick() {
    edNoteRecvStaff.Enabled = true;
    edNOteRecvGroup.Enabled = false;
}

void TfrmSendBNEx::rbRecvGroupsClick() {
    edNoteRecvStaff.Enabled = false;
    edNOteRecvGroup.Enabled = true;
}

void TfrmSendBNEx::ShowPickList(forms::CustomEdit& edit, zeph::dataset::TClientDataSet& dataSet,
                                const std::string& keyField, const std::string& nameField) {
    pickTarget_ = &edit;
    // The edit's place on the window: its own offset plus its containers' up to the window.
    int left = edit.Left;
    int top = edit.Top;
    for (forms::WinControl* parent = edit.Parent(); parent != nullptr && parent != this;
         parent = parent->Parent()) {
        left += parent->Left;
        top += parent->Top;
    }
    lbList.SetBounds(left + 3, top + edit.Height + 3, edit.Width, kPickListHeight);

    lbList.Items.Clear();
    if (dataSet.Active()) {
        const zeph::dataset::TField key = dataSet.FieldByName(keyField);
        const zeph::dataset::TField name = dataSet.FieldByName(nameField);
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
            lbList.Items.Add(key.AsString() + " - " + name.AsString());
        }
        CheckPickListItems(edit.Text());
    }
    lbList.Show();
    lbList.BringToFront();
    if (lbList.CanFocus()) {
        lbList.SetFocus();
    }
}

void TfrmSendBNEx::CheckPickListItems(const std::string& value) {
    for (const std::string& part : SplitList(value)) {
        const std::string key = KeyOf(part);
        for (int i = 0; i < lbList.Items.Count(); ++i) {
            if (text::SameText(KeyOf(lbList.Items[i]), key)) {
                lbList.SetChecked(i, true);
                break;
            }
        }
    }
}

void TfrmSendBNEx::RebuildTargetText() {
    if (pickTarget_ == nullptr) {
        return;
    }
    std::vector<std::string> ticked;
    for (int i = 0; i < lbList.Items.Count(); ++i) {
        if (lbList.Checked(i)) {
            ticked.push_back(lbList.Items[i]);
        }
    }
    pickTarget_->SetText(text::Join(ticked, ","));
}

void TfrmSendBNEx::lbListClick() {
    RebuildTargetText();
}

void TfrmSendBNEx::lbListKeyUp(std::uint16_t key) {
    if (key != forms::keys::Space || lbList.Items.Count() == 0 || lbList.ItemIndex() < 0) {
        return;
    }
    const bool state = lbList.Checked(lbList.ItemIndex());
    for (int i = 0; i < lbList.Items.Count(); ++i) {
        if (lbList.Selected(i)) {
            lbList.SetChecked(i, state);
        }
    }
    RebuildTargetText();
}

void TfrmSendBNEx::lbListExit() {
    lbList.Hide();
    pickTarget_ = nullptr;
}

void TfrmSendBNEx::Tell(const std::string& message) {
    zeph::InfoDlg(message, Handle());
}

void TfrmSendBNEx::FocusOn(forms::Control& control, bool selectAll) {
    if (control.CanFocus()) {
        control.SetFocus();
    }
    if (auto* edit = dynamic_cast<forms::CustomEdit*>(&control); edit != nullptr && selectAll) {
        edit->SelectAll();
    }
}

std::optional<std::string> TfrmSendBNEx::CheckedKeys(forms::CustomEdit& edit,
                                                     zeph::dataset::TClientDataSet& dataSet,
                                                     const char* keyField,
                                                     const std::string& emptyMessage,
                                                     const std::string& what) {
    const std::string typed = edit.Text();
    std::string missing;
    if (text::Trim(typed).empty()) {
        Tell(emptyMessage);
    } else if (!CheckKeysExist(typed, dataSet, keyField, missing)) {
        Tell("有以下的"_host + what + "【"_host + missing + "】不存在！请重新输入！"_host);
    } else {
        return GetKeyList(typed);
    }
    FocusOn(edit);
    return std::nullopt;
}

bool TfrmSendBNEx::GoOnWithContent(forms::Memo& content) {
    // Both pages ask the bulletin's question.
    if (!content.Text().empty() || zeph::QuesDlg("公告内容为空，是否仍然继续？"_host, Handle())) {
        return true;
    }
    FocusOn(content, true);
    return false;
}

void TfrmSendBNEx::Answered(const std::string& answer) {
    if (text::Contains(answer, "成功"_host)) {
        modalResult = forms::ModalResult::Ok;
    }
    if (!text::Trim(answer).empty()) {
        Tell(answer);
    }
}

bool TfrmSendBNEx::TitleAndGradeGiven(forms::Edit& title, forms::ComboBox& grade) {
    if (text::Trim(title.Text()).empty()) {
        Tell("请输入标题！"_host);
        FocusOn(title, true);
        return false;
    }
    if (grade.ItemIndex() < 0) {
        Tell("请选择优先级！"_host);
        grade.SetItemIndex(0);
        return false;
    }
    return true;
}

void TfrmSendBNEx::btnBulletinSendClick() {
    if (!TitleAndGradeGiven(edBulletinTitle, cbBulletinGrade)) {
        return;
    }
    if (cbBulletinType.ItemIndex() < 0) {
        Tell("请选择公告类型！"_host);
        if (cbBulletinType.Items.Count() > 0) {
            cbBulletinType.SetItemIndex(0);
        }
        return;
    }
    const std::optional<std::string> groups = CheckedKeys(
        edBulletinGroup, part_.cdsGroup, "ClassID", "接收群组为空，请重新输入！"_host, "群组"_host);
    if (!groups || !GoOnWithContent(mmBulletinContent)) {
        return;
    }
    std::string answer;
    try {
        answer = SendBulletin(main_, edBulletinTitle.Text(), ChosenKey(cbBulletinGrade),
                              ChosenKey(cbBulletinType), *groups, ChosenKey(cbBulletinCallCause),
                              mmBulletinContent.Text());
    } catch (const std::exception&) {
        Tell("发送失败！无法访问公告便笺服务器！"_host);
        return;
    }
    Answered(answer);
}

void TfrmSendBNEx::btnNoteSendClick() {
    if (!TitleAndGradeGiven(edNoteTitle, cbNoteGrade) || !GoOnWithContent(mmNoteContent)) {
        return;
    }
    std::string answer;
    try {
        // Only the chosen receivers are sent; the other list goes empty.
        std::optional<std::string> staff = std::string();
        if (rbRecvStaffNos.Checked()) {
            staff = CheckedKeys(edNoteRecvStaff, main_.cdsStaff, "StaffNo",
                                "接收工号为空，请重新输入！"_host, "工号"_host);
        }
        std::optional<std::string> groups = std::string();
        if (staff && rbRecvGroups.Checked()) {
            groups = CheckedKeys(edNOteRecvGroup, part_.cdsGroup, "ClassID",
                                 "接收群组为空，请重新输入！"_host, "群组"_host);
        }
        if (!staff || !groups) {
            return;
        }
        answer = SendNote(main_, edNoteTitle.Text(), ChosenKey(cbNoteGrade), *staff, *groups,
                          mmNoteContent.Text(), "AG", edition_);
    } catch (const std::exception&) {
        Tell("发送失败！无法访问公告便笺服务器！"_host);
        return;
    }
    Answered(answer);
}

namespace {

// The window for one call: created with the application as owner, preset, shown modal, freed.
template <typename Preset>
forms::ModalResult Open(TInterFacefrmMain& main, Edition edition, const char* caption,
                        Preset&& preset) {
    TfrmSendBNEx window(nullptr, main, edition);
    window.Caption = text::HostLiteral(caption);
    preset(window);
    return window.ShowModal();
}

} // namespace

forms::ModalResult ShowBulletinWindow(TInterFacefrmMain& main, const std::string& Title,
                                      const std::string& Grade, const std::string& TypeID,
                                      const std::string& RecvGroup, const std::string& CallCause,
                                      const std::string& Content, Edition edition) {
    return Open(main, edition, "发送公告", [&](TfrmSendBNEx& w) {
        w.pcSendBN.SetActivePage(&w.tsBulletin);
        w.edBulletinTitle.SetText(Title);
        TfrmSendBNEx::SelectItemByKey(w.cbBulletinGrade, Grade);
        TfrmSendBNEx::SelectItemByKey(w.cbBulletinType, TypeID);
        w.edBulletinGroup.SetText(RecvGroup);
        TfrmSendBNEx::SelectItemByKey(w.cbBulletinCallCause, CallCause);
        w.mmBulletinContent.SetText(Content);
    });
}

forms::ModalResult ShowNoteWindow(TInterFacefrmMain& main, const std::string& Title,
                                  const std::string& Grade, const std::string& RecvStaff,
                                  const std::string& RecvGroup, const std::string& Content,
                                  Edition edition) {
    // The radio buttons keep their start state.
    return Open(main, edition, "发送便笺", [&](TfrmSendBNEx& w) {
        w.pcSendBN.SetActivePage(&w.tsNote);
        w.edNoteTitle.SetText(Title);
        TfrmSendBNEx::SelectItemByKey(w.cbNoteGrade, Grade);
        w.edNoteRecvStaff.SetText(RecvStaff);
        w.edNOteRecvGroup.SetText(RecvGroup);
        w.mmNoteContent.SetText(Content);
    });
}

} // namespace morvane::bulletin
