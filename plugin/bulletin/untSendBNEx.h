// The window in which the agent writes and sends one bulletin or one note. It checks the
// receivers against lists fetched from the application server (cached on the main window),
// turns the chosen items into plain key lists and sends through the main window's operations.
#pragma once

#include "core/Edition.h"

#include <zeph/dataset/TClientDataSet.h>
#include <zeph/forms/Forms.h>

#include <optional>
#include <string>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::bulletin {

class TBulletinPart;

class TfrmSendBNEx : public zeph::forms::Form {
public:
    TfrmSendBNEx(zeph::forms::Component* owner, TInterFacefrmMain& main,
                 Edition edition = kBuildEdition);

    zeph::forms::PageControl pcSendBN{*this, "pcSendBN"};
    zeph::forms::TabSheet tsBulletin{*this, pcSendBN, "tsBulletin"};
    zeph::forms::TabSheet tsNote{*this, pcSendBN, "tsNote"};

    zeph::forms::Label lblBulletinTitle{*this, "lblBulletinTitle"};
    zeph::forms::Edit edBulletinTitle{*this, "edBulletinTitle"};
    zeph::forms::Label lblBulletinGrade{*this, "lblBulletinGrade"};
    zeph::forms::ComboBox cbBulletinGrade{*this, "cbBulletinGrade"};
    zeph::forms::Label lblBulletinGroup{*this, "lblBulletinGroup"};
    zeph::forms::ButtonEdit edBulletinGroup{*this, "edBulletinGroup"};
    zeph::forms::Label lblBulletinType{*this, "lblBulletinType"};
    zeph::forms::ComboBox cbBulletinType{*this, "cbBulletinType"};
    zeph::forms::Label lblBulletinCallCause{*this, "lblBulletinCallCause"};
    zeph::forms::ComboBox cbBulletinCallCause{*this, "cbBulletinCallCause"};
    zeph::forms::Label lblBulletinContent{*this, "lblBulletinContent"};
    zeph::forms::Memo mmBulletinContent{*this, "mmBulletinContent"};
    zeph::forms::Button btnBulletinSend{*this, "btnBulletinSend"};
    zeph::forms::Button btnBulletinClose{*this, "btnBulletinClose"};

    zeph::forms::Label lblNoteTitle{*this, "lblNoteTitle"};
    zeph::forms::Edit edNoteTitle{*this, "edNoteTitle"};
    zeph::forms::Label lblNoteGrade{*this, "lblNoteGrade"};
    zeph::forms::ComboBox cbNoteGrade{*this, "cbNoteGrade"};
    zeph::forms::RadioButton rbRecvStaffNos{*this, "rbRecvStaffNos"};
    zeph::forms::ButtonEdit edNoteRecvStaff{*this, "edNoteRecvStaff"};
    zeph::forms::RadioButton rbRecvGroups{*this, "rbRecvGroups"};
    zeph::forms::ButtonEdit edNOteRecvGroup{*this, "edNOteRecvGroup"};
    zeph::forms::Label lblNoteContent{*this, "lblNoteContent"};
    zeph::forms::Memo mmNoteContent{*this, "mmNoteContent"};
    zeph::forms::Button btnNoteSend{*this, "btnNoteSend"};
    zeph::forms::Button btnNoteClose{*this, "btnNoteClose"};

    // The pick list, over the pages; its target is the edit it fills (none while hidden).
    zeph::forms::CheckListBox lbList{*this, "lbList"};

    // Selects the first item whose key equals key (both trimmed, letter case ignored).
    static void SelectItemByKey(zeph::forms::ComboBox& dropDown, const std::string& key);

    void ShowPickList(zeph::forms::CustomEdit& edit, zeph::dataset::TClientDataSet& dataSet,
                      const std::string& keyField, const std::string& nameField);
    void CheckPickListItems(const std::string& text);
    zeph::forms::CustomEdit* PickListTarget() const noexcept { return pickTarget_; }

private:
    void FormCreate();
    void PlaceControls();
    void cbBulletinGradeChange();
    void rbRecvStaffNosClick();
    void rbRecvGroupsClick();
    void lbListClick();
    void lbListKeyUp(std::uint16_t key);
    void lbListExit();
    void btnBulletinSendClick();
    void btnNoteSendClick();
    void RebuildTargetText();
    // The send checks the two pages share; each tells the agent what is wrong and says no.
    bool TitleAndGradeGiven(zeph::forms::Edit& title, zeph::forms::ComboBox& grade);
    bool GoOnWithContent(zeph::forms::Memo& content);
    // The key list of the receivers typed into edit when each is a key of dataSet.
    std::optional<std::string> CheckedKeys(zeph::forms::CustomEdit& edit,
                                           zeph::dataset::TClientDataSet& dataSet,
                                           const char* keyField, const std::string& emptyMessage,
                                           const std::string& what);
    // Closes on success and shows any answer.
    void Answered(const std::string& answer);
    void Tell(const std::string& text);
    void FocusOn(zeph::forms::Control& control, bool selectAll = false);

    TInterFacefrmMain& main_;
    TBulletinPart& part_;
    Edition edition_;
    zeph::forms::CustomEdit* pickTarget_ = nullptr;
};

// Open the window modal on the chosen page, preset with the host's values; the result is Ok
// after a successful send and Cancel otherwise.
zeph::forms::ModalResult ShowBulletinWindow(TInterFacefrmMain& main, const std::string& Title,
                                            const std::string& Grade, const std::string& TypeID,
                                            const std::string& RecvGroup,
                                            const std::string& CallCause,
                                            const std::string& Content,
                                            Edition edition = kBuildEdition);
zeph::forms::ModalResult ShowNoteWindow(TInterFacefrmMain& main, const std::string& Title,
                                        const std::string& Grade, const std::string& RecvStaff,
                                        const std::string& RecvGroup, const std::string& Content,
                                        Edition edition = kBuildEdition);

} // namespace morvane::bulletin
