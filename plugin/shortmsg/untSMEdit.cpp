#include "shortmsg/untSMEdit.h"

#include "shortmsg/FormLayout.h"
#include "shortmsg/untSMSelect.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/text/HostText.h>

namespace morvane::shortmsg {
namespace {

namespace forms = zeph::forms;

// Digits and the editing keys: copy, backspace, enter, paste, cut, undo.
bool IsNumberKey(char key) {
    switch (key) {
    case 3:
    case 8:
    case 13:
    case 22:
    case 24:
    case 26:
        return true;
    default:
        return key >= '0' && key <= '9';
    }
}

bool IsReceiverText(const std::string& text) {
    for (char c : text) {
        if ((c < '0' || c > '9') && c != ';') {
            return false;
        }
    }
    return true;
}

void Place(forms::Control& control, int left, int top, int width, int height) {
    control.SetBounds(left, top, width, height);
}

} // namespace

TfrmSMEdit::TfrmSMEdit(forms::Component* owner, zeph::TZephClient& client)
    : Form(owner, "frmSMEdit"), client_(client) {
    FrameDialog(*this, "短信编辑"_host, forms::Position::MainFormCenter, 521, 320);
    HelpContext = 24;

    PlaceLabel(lblSerialNo, "流 水 号："_host, 16, 19);
    Place(edtSerialNo, 80, 15, 160, 21);
    PlaceLabel(lblPriorFlag, "优先级别："_host, 272, 19);
    cmbPriorFlag.Style = forms::ComboStyle::DropDownList;
    for (const char* item : {"较低", "普通", "较高", "重要", "紧急", "最高"}) {
        cmbPriorFlag.Items.Add(zeph::text::HostLiteral(item));
    }
    cmbPriorFlag.SetItemIndex(1);
    Place(cmbPriorFlag, 336, 15, 169, 21);

    PlaceLabel(lblSendMode, "发送方式："_host, 16, 51);
    rbAtOnce.Caption = "立即发送"_host;
    Place(rbAtOnce, 80, 49, 80, 17);
    rbByTime.Caption = "定时发送"_host;
    Place(rbByTime, 168, 49, 80, 17);
    const forms::TDateTime now = forms::Now();
    dtpDate.Kind = forms::DateTimeKind::Date;
    dtpDate.SetDateTime(now);
    Place(dtpDate, 256, 47, 120, 21);
    dtpTime.Kind = forms::DateTimeKind::Time;
    dtpTime.SetDateTime(now);
    Place(dtpTime, 385, 47, 120, 21);

    PlaceLabel(lblReceiverMessage, "手机号码："_host, 16, 83);
    Place(edtReceiverMessage, 80, 79, 296, 21);
    PlaceLabel(lblReceiverNote, "(多个号码用; 隔开)"_host, 384, 83);

    PlaceLabel(lblContent, "发送内容："_host, 16, 115);
    PlaceButton(btnSelect, "常用短信息(&S)"_host, 397, 109, 108, 25);
    memContent.ScrollBars = forms::ScrollStyle::Vertical;
    memContent.Hint = "最大长度：2000字节，即1000汉字"_host;
    memContent.ShowHint = true;
    memContent.ReadOnly = true;
    Place(memContent, 80, 139, 425, 134);

    PlaceCloseButtons(btnOk, btnCancel, 349, 430, 284, 75);

    OnShow = [this](forms::Form& s) { FormShow(s); };
    OnCloseQuery = [this](forms::Form& s, bool& canClose) { FormCloseQuery(s, canClose); };
    edtSerialNo.OnKeyPress = [this](forms::Control& s, char& k) { edtSerialNoKeyPress(s, k); };
    edtReceiverMessage.OnKeyPress = [this](forms::Control& s, char& k) {
        edtReceiverMessageKeyPress(s, k);
    };
    edtReceiverMessage.OnChange = [this](forms::Control& s) { edtReceiverMessageChange(s); };
    rbAtOnce.OnClick = [this](forms::Control& s) { rbAtOnceClick(s); };
    rbByTime.OnClick = [this](forms::Control& s) { rbByTimeClick(s); };
    btnSelect.OnClick = [this](forms::Control& s) { btnSelectClick(s); };
    Created();
}

void TfrmSMEdit::FormShow(forms::Form&) {
    memContent.ReadOnly = !client_.HasAuth("02", "010306");
    btnOk.SetFocus();
}

void TfrmSMEdit::FormCloseQuery(forms::Form&, bool& canClose) {
    if (modalResult == forms::ModalResult::Cancel) {
        return;
    }
    const std::string& receivers = edtReceiverMessage.Text();
    const std::string& content = memContent.Text();
    const std::string* refusal = nullptr;
    if (zeph::text::Trim(receivers).empty()) {
        refusal = &"请输入手机号码"_host;
    } else if (zeph::text::Trim(content).empty()) {
        refusal = &"请输入发送内容"_host;
    } else if (zeph::text::ByteLength(content) > kMaxContentBytes) {
        refusal = &"发送内容过长，请删除部分内容"_host;
    } else if (zeph::text::Split(receivers, ";").size() > kMaxReceivers) {
        refusal = &"手机号码最多只可以输入5个，请修改"_host;
    }
    if (refusal != nullptr) {
        zeph::InfoDlg(*refusal, Handle());
        canClose = false;
    }
}

void TfrmSMEdit::edtSerialNoKeyPress(forms::Control&, char& key) {
    if (!IsNumberKey(key)) {
        key = 0;
    }
}

void TfrmSMEdit::edtReceiverMessageKeyPress(forms::Control&, char& key) {
    if (!IsNumberKey(key) && key != ';') {
        key = 0;
    }
}

void TfrmSMEdit::edtReceiverMessageChange(forms::Control&) {
    if (IsReceiverText(edtReceiverMessage.Text())) {
        lastReceiverText_ = edtReceiverMessage.Text();
    } else {
        // Setting the text fires this handler again with the accepted text.
        edtReceiverMessage.SetText(lastReceiverText_);
    }
}

void TfrmSMEdit::rbAtOnceClick(forms::Control&) {
    dtpDate.Enabled = false;
    dtpTime.Enabled = false;
}

void TfrmSMEdit::rbByTimeClick(forms::Control&) {
    dtpDate.Enabled = true;
    dtpTime.Enabled = true;
}

void TfrmSMEdit::btnSelectClick(forms::Control&) {
    const TDisabledWhileRunning running(btnSelect);

    TfrmSMSelect select(this, client_);
    select.SelectedContent = memContent.Text();
    select.btnRefreshClick(select.btnRefresh);
    if (select.ShowModal() == forms::ModalResult::Ok) {
        memContent.SetText(select.SelectedContent);
    }
}

} // namespace morvane::shortmsg
