// The short-message edit window: the agent reviews the receivers, the priority, the timing and
// the content before the message is written, and picks prepared texts from the common messages.
#pragma once

#include <zeph/client/TZephClient.h>
#include <zeph/forms/Forms.h>

#include <string>

namespace morvane::shortmsg {

class TfrmSMEdit : public zeph::forms::Form {
public:
    // client: the host client through which the rights are asked and the common messages
    // fetched.
    TfrmSMEdit(zeph::forms::Component* owner, zeph::TZephClient& client);

    zeph::forms::Label lblSerialNo{*this, "lblSerialNo"};
    zeph::forms::Edit edtSerialNo{*this, "edtSerialNo"};
    zeph::forms::Label lblPriorFlag{*this, "lblPriorFlag"};
    zeph::forms::ComboBox cmbPriorFlag{*this, "cmbPriorFlag"};
    zeph::forms::Label lblSendMode{*this, "lblSendMode"};
    zeph::forms::RadioButton rbAtOnce{*this, "rbAtOnce"};
    zeph::forms::RadioButton rbByTime{*this, "rbByTime"};
    zeph::forms::DateTimePicker dtpDate{*this, "dtpDate"};
    zeph::forms::DateTimePicker dtpTime{*this, "dtpTime"};
    zeph::forms::Label lblReceiverMessage{*this, "lblReceiverMessage"};
    zeph::forms::Edit edtReceiverMessage{*this, "edtReceiverMessage"};
    zeph::forms::Label lblReceiverNote{*this, "lblReceiverNote"};
    zeph::forms::Button btnSelect{*this, "btnSelect"};
    zeph::forms::Label lblContent{*this, "lblContent"};
    zeph::forms::Memo memContent{*this, "memContent"};
    zeph::forms::Button btnOk{*this, "btnOk"};
    zeph::forms::Button btnCancel{*this, "btnCancel"};

    static constexpr std::size_t kMaxContentBytes = 2000;
    static constexpr std::size_t kMaxReceivers = 5;

private:
    void FormShow(zeph::forms::Form& sender);
    void FormCloseQuery(zeph::forms::Form& sender, bool& canClose);
    void edtSerialNoKeyPress(zeph::forms::Control& sender, char& key);
    void edtReceiverMessageKeyPress(zeph::forms::Control& sender, char& key);
    void edtReceiverMessageChange(zeph::forms::Control& sender);
    void rbAtOnceClick(zeph::forms::Control& sender);
    void rbByTimeClick(zeph::forms::Control& sender);
    void btnSelectClick(zeph::forms::Control& sender);

    zeph::TZephClient& client_;
    std::string lastReceiverText_; // the receiver field's last accepted text
};

} // namespace morvane::shortmsg
