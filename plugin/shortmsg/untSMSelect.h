// The common-message picker: the prepared texts of the agent's city and of all cities as a
// tree built from their ID and SUPERID, a city switch, and a search in the texts.
#pragma once

#include <zeph/client/TZephClient.h>
#include <zeph/dataset/TClientDataSet.h>
#include <zeph/forms/Forms.h>

#include <string>

namespace morvane::shortmsg {

class TfrmSMSelect : public zeph::forms::Form {
public:
    // client: the host client through which the city and the lists are fetched.
    TfrmSMSelect(zeph::forms::Component* owner, zeph::TZephClient& client);

    zeph::dataset::TClientDataSet cdsCity{this, "cdsCity"};
    zeph::dataset::TClientDataSet cdsMsg{this, "cdsMsg"};

    zeph::forms::PageControl pcMain{*this, "pcMain"};
    zeph::forms::TabSheet tsSelect{*this, pcMain, "tsSelect"};
    zeph::forms::TabSheet tsFindResult{*this, pcMain, "tsFindResult"};

    zeph::forms::Label lblMsgList{*this, "lblMsgList"};
    zeph::forms::DataTreeView dbMsgList{*this, "dbMsgList"};
    zeph::forms::Label lblContent{*this, "lblContent"};
    zeph::forms::Memo mmContent{*this, "mmContent"};
    zeph::forms::Label lblCity{*this, "lblCity"};
    zeph::forms::ComboBox cbCity{*this, "cbCity"};
    zeph::forms::Label lblFind{*this, "lblFind"};
    zeph::forms::Edit EditFind{*this, "EditFind"};
    zeph::forms::Button btnSearch{*this, "btnSearch"};
    zeph::forms::Button btnRefresh{*this, "btnRefresh"};
    zeph::forms::Button btnOK{*this, "btnOK"};
    zeph::forms::Button btnCancel{*this, "btnCancel"};
    zeph::forms::ListView lvList{*this, "lvList"};

    zeph::forms::Label lblFindResult{*this, "lblFindResult"};
    zeph::forms::TreeView tvFindResult{*this, "tvFindResult"};
    zeph::forms::Button btnFindOk{*this, "btnFindOk"};
    zeph::forms::Button btnFindCancel{*this, "btnFindCancel"};

    // The text handed back: set by the opener, then by each leaf chosen in the tree.
    std::string SelectedContent;

    // Loads the city items and the messages of the chosen city; the opener runs it once
    // before showing the window.
    void btnRefreshClick(zeph::forms::Control& sender);

private:
    void FormCreate(zeph::forms::Form& sender);
    void FormShow(zeph::forms::Form& sender);
    void cbCityChange(zeph::forms::Control& sender);
    void dbMsgListChange(zeph::forms::TreeView& sender, zeph::forms::TreeNode* node);
    void dbMsgListClick(zeph::forms::Control& sender);
    void dbMsgListDblClick(zeph::forms::Control& sender);
    void btnSearchClick(zeph::forms::Control& sender);
    void EditFindKeyPress(zeph::forms::Control& sender, char& key);
    void btnFindOkClick(zeph::forms::Control& sender);
    void btnFindCancelClick(zeph::forms::Control& sender);

    // The key of the city item shown: the text before its first "-".
    std::string ChosenCityKey() const;
    // Messages of all cities ("0") and of the city; only those of all cities when the key is
    // empty (the agent's city is not in the city list).
    void FilterByCity(const std::string& cityKey);
    void RebuildLists();
    // Takes a leaf's message as the selected content; a node with children is ignored.
    bool ReadLeaf(zeph::forms::TreeNode* node);

    zeph::TZephClient& client_;
    std::string staffCityKey_;
};

} // namespace morvane::shortmsg
