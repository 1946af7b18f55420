// The short-message edit window: its controls, the key and change filters of the number fields,
// the content right, the pickers, the common-message button and the closing checks in order.
#include "Tables.h"
#include "shortmsg/untSMEdit.h"
#include "shortmsg/untSMSelect.h"
#include "support/FakeHostServices.h"
#include "support/ScopedBackend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shortmsg_test {
namespace {

using morvane::shortmsg::TfrmSMEdit;
using morvane::shortmsg::TfrmSMSelect;
namespace forms = zeph::forms;

std::string H(const char* utf8) {
    return zeph::text::HostLiteral(utf8);
}

class SmEditTest : public ::testing::Test {
protected:
    SmEditTest() { services->rights = {"02/010306"}; }

    // Shows the window with a script and returns its modal result.
    forms::ModalResult Show(std::function<void(TfrmSMEdit&, forms::User&)> script) {
        ui->When<TfrmSMEdit>(std::move(script));
        return form.ShowModal();
    }

    zeph::testing::ServicesScope<> services;
    zeph::testing::ScopedBackend ui;
    zeph::TZephClient client{nullptr};
    TfrmSMEdit form{nullptr, client};
};

TEST_F(SmEditTest, ControlsAndTheirSettings) {
    EXPECT_EQ(form.Caption, H("短信编辑"));
    EXPECT_EQ(form.ClientWidth(), 521);
    EXPECT_EQ(form.ClientHeight(), 320);
    EXPECT_EQ(form.BorderStyle, forms::BorderStyle::Dialog);
    EXPECT_EQ(form.BorderIcons, forms::biSystemMenu);
    EXPECT_EQ(form.Position, forms::Position::MainFormCenter);
    EXPECT_EQ(form.HelpContext, 24);
    const std::vector<std::pair<forms::Label*, const char*>> labels = {
        {&form.lblSerialNo, "流 水 号："},
        {&form.lblPriorFlag, "优先级别："},
        {&form.lblSendMode, "发送方式："},
        {&form.lblReceiverMessage, "手机号码："},
        {&form.lblReceiverNote, "(多个号码用; 隔开)"},
        {&form.lblContent, "发送内容："}};
    for (const auto& [label, caption] : labels) {
        EXPECT_EQ(label->Caption(), H(caption)) << label->Name();
    }
    EXPECT_EQ(form.cmbPriorFlag.Style, forms::ComboStyle::DropDownList);
    EXPECT_EQ(form.cmbPriorFlag.Items.Text(),
              H("较低\r\n普通\r\n较高\r\n重要\r\n紧急\r\n最高\r\n"));
    EXPECT_EQ(form.cmbPriorFlag.ItemIndex(), 1);
    EXPECT_EQ(form.rbAtOnce.Caption, H("立即发送"));
    EXPECT_EQ(form.rbByTime.Caption, H("定时发送"));
    EXPECT_EQ(form.dtpDate.Kind, forms::DateTimeKind::Date);
    EXPECT_EQ(form.dtpTime.Kind, forms::DateTimeKind::Time);
    EXPECT_NEAR(form.dtpDate.DateTime(), forms::Now(), 1.0 / 24 / 60);
    EXPECT_EQ(form.btnSelect.Caption, H("常用短信息(&S)"));
    EXPECT_EQ(form.memContent.ScrollBars, forms::ScrollStyle::Vertical);
    EXPECT_EQ(form.memContent.Hint, H("最大长度：2000字节，即1000汉字"));
    EXPECT_EQ(form.btnOk.Caption, H("确定"));
    EXPECT_EQ(form.btnOk.ModalResult, forms::ModalResult::Ok);
    EXPECT_EQ(form.btnCancel.Caption, H("取消"));
    EXPECT_TRUE(form.btnCancel.Cancel);
}

TEST_F(SmEditTest, KeyAndChangeFiltersOfTheNumberFields) {
    forms::User user;
    user.Type(form.edtSerialNo, "12a 3;4" + H("号") + "5");
    EXPECT_EQ(form.edtSerialNo.Text(), "12345");
    user.Type(form.edtReceiverMessage, "138a;1 39" + H("；") + ",5");
    EXPECT_EQ(form.edtReceiverMessage.Text(), "138;1395");
    // Backspace and the clipboard keys pass the filter.
    user.KeyPress(form.edtReceiverMessage, '\b');
    EXPECT_EQ(form.edtReceiverMessage.Text(), "138;139");
    char key = 22;
    form.edtReceiverMessage.OnKeyPress(form.edtReceiverMessage, key);
    EXPECT_EQ(key, 22);
    for (char control : {3, 8, 13, 24, 26}) {
        key = control;
        form.edtSerialNo.OnKeyPress(form.edtSerialNo, key);
        EXPECT_EQ(key, control);
    }
    key = 1;
    form.edtSerialNo.OnKeyPress(form.edtSerialNo, key);
    EXPECT_EQ(key, 0);

    // Pasting or setting a text with anything but digits and ";" brings the last accepted text
    // back.
    user.Paste(form.edtReceiverMessage, ",13900000000");
    EXPECT_EQ(form.edtReceiverMessage.Text(), "138;139");
    user.Paste(form.edtReceiverMessage, ";13900000000");
    EXPECT_EQ(form.edtReceiverMessage.Text(), "138;139;13900000000");
    form.edtReceiverMessage.SetText("138 139");
    EXPECT_EQ(form.edtReceiverMessage.Text(), "138;139;13900000000");
    form.edtReceiverMessage.SetText("");
    form.edtReceiverMessage.SetText("x");
    EXPECT_EQ(form.edtReceiverMessage.Text(), "");
}

TEST_F(SmEditTest, TheContentRightAndThePickers) {
    bool readOnly = false;
    bool okFocused = false;
    Show([&](TfrmSMEdit& f, forms::User& user) {
        readOnly = f.memContent.ReadOnly;
        okFocused = f.btnOk.Focused();
        user.Click(f.rbByTime);
        EXPECT_TRUE(f.dtpDate.Enabled && f.dtpTime.Enabled);
        user.Choose(f.dtpDate, forms::EncodeDate(2030, 1, 2));
        user.Click(f.rbAtOnce);
        EXPECT_FALSE(f.dtpDate.Enabled || f.dtpTime.Enabled);
        // Disabled pickers keep their values and cannot be changed.
        EXPECT_FALSE(user.Choose(f.dtpDate, forms::EncodeDate(2031, 1, 1)));
        user.Escape(f);
    });
    EXPECT_FALSE(readOnly);
    EXPECT_TRUE(okFocused);
    EXPECT_EQ(form.dtpDate.Date(), forms::EncodeDate(2030, 1, 2));

    services->rights.clear();
    Show([&](TfrmSMEdit& f, forms::User& user) {
        readOnly = f.memContent.ReadOnly;
        user.Type(f.memContent, "typed");
        user.CloseBox(f);
    });
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(form.memContent.Text(), "");
}

TEST_F(SmEditTest, ClosingChecksInTheirOrder) {
    const std::string five = "1;2;3;4;5";
    const std::string chinese1000 = [] {
        std::string text;
        for (int i = 0; i < 1000; ++i) {
            text += H("汉");
        }
        return text;
    }();
    struct Case {
        std::string receivers, content;
        const char* refusal; // nullptr: the window closes with OK
    };
    const Case cases[] = {
        {"", "", "请输入手机号码"},
        {";;", "", "请输入发送内容"},
        {"138", " \r\n ", "请输入发送内容"},
        {"138", chinese1000 + "x", "发送内容过长，请删除部分内容"},
        {"1;2;3;4;5;6", chinese1000 + "x", "发送内容过长，请删除部分内容"},
        {"1;2;3;4;5;6", "x", "手机号码最多只可以输入5个，请修改"},
        {five + ";", "x", "手机号码最多只可以输入5个，请修改"},
        {";;;;;", "x", "手机号码最多只可以输入5个，请修改"},
        {five, chinese1000, nullptr},
        {";;;;", " x ", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.receivers + " / " + std::to_string(c.content.size()));
        zeph::testing::ScopedBackend fresh;
        form.edtReceiverMessage.SetText(c.receivers);
        form.memContent.SetText(c.content);
        fresh->When<TfrmSMEdit>([](TfrmSMEdit& f, forms::User& user) {
            user.Click(f.btnOk);
            if (!f.ModalEnded()) {
                user.Escape(f); // still open after the refusal: leave it
            }
        });
        const forms::ModalResult result = form.ShowModal();
        if (c.refusal == nullptr) {
            EXPECT_EQ(result, forms::ModalResult::Ok);
            EXPECT_TRUE(fresh->MessageTexts().empty());
        } else {
            EXPECT_EQ(result, forms::ModalResult::Cancel);
            ASSERT_EQ(fresh->Messages().size(), 1u);
            EXPECT_EQ(fresh->MessageTexts()[0], H(c.refusal));
            EXPECT_EQ(fresh->Records()[1].owner, form.Handle()); // owned by the window
        }
        EXPECT_TRUE(fresh->Failures().empty());
    }
}

TEST_F(SmEditTest, EscapeAndTheCloseBoxCancelWithoutChecks) {
    EXPECT_EQ(Show([](TfrmSMEdit& f, forms::User& user) { user.Escape(f); }),
              forms::ModalResult::Cancel);
    EXPECT_EQ(Show([](TfrmSMEdit& f, forms::User& user) { user.CloseBox(f); }),
              forms::ModalResult::Cancel);
    EXPECT_EQ(Show([](TfrmSMEdit& f, forms::User& user) { user.Click(f.btnCancel); }),
              forms::ModalResult::Cancel);
    EXPECT_TRUE(ui->MessageTexts().empty());
}

TEST_F(SmEditTest, TheCommonMessageButtonTakesThePickedText) {
    const zeph::dataset::TRecordTable cities = Table(kCityFields, {{"0571", "杭州"}});
    const zeph::dataset::TRecordTable messages =
        Table(kMessageFields, {{"1", "0", "问候", "", "0"}, {"11", "1", "感谢", "感谢来电", "0"}});
    services->onOpenByServerFlag = [&](const std::string& flag, const std::string&,
                                       zeph::Variant& data) {
        data = zeph::dataset::WriteDataPacket(flag == "ZEPHSC_AG_SELCITY" ? cities : messages);
        return true;
    };
    form.memContent.SetText("before");
    bool buttonDisabledMeanwhile = false;
    std::string handedIn;
    ui->When<TfrmSMSelect>([&](TfrmSMSelect& s, forms::User& user) {
        buttonDisabledMeanwhile = !form.btnSelect.Enabled;
        handedIn = s.SelectedContent;
        EXPECT_EQ(s.Owner(), &form);
        user.DoubleClick(s.dbMsgList, s.dbMsgList.Items.Root(0).Item(0));
    });
    ui->When<TfrmSMSelect>([](TfrmSMSelect& s, forms::User& user) { user.Escape(s); });
    Show([](TfrmSMEdit& f, forms::User& user) {
        user.Click(f.btnSelect);
        EXPECT_EQ(f.memContent.Text(), H("感谢来电"));
        f.memContent.SetText("again");
        user.Click(f.btnSelect); // cancelled: the content stays
        EXPECT_EQ(f.memContent.Text(), "again");
        EXPECT_TRUE(f.btnSelect.Enabled);
        user.Escape(f);
    });
    EXPECT_TRUE(buttonDisabledMeanwhile);
    EXPECT_EQ(handedIn, "before");
}

} // namespace
} // namespace shortmsg_test
