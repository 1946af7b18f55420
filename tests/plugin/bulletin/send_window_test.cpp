// The compose window through the scripted backend: what it fetches and shows at creation, both
// send handlers' checks in their order, the pick list, and what reaches the real service.
#include "BulletinFixture.h"
#include "bulletin/BulletinWords.h"
#include "bulletin/untSendBNEx.h"
#include "editions/Editions.h"

#include <zeph/formdrive/User.h>
#include <zeph/text/HostText.h>

namespace bulletin_test {
namespace {

namespace forms = zeph::forms;
using morvane::Edition;
using morvane::bulletin::TfrmSendBNEx;
using zeph::Variant;
using zeph::text::GbkToUtf8;
using zeph::text::Utf8ToGbk;

std::vector<std::string> Items(const zeph::forms::Strings& items) {
    std::vector<std::string> texts;
    for (const std::string& item : items) {
        texts.push_back(GbkToUtf8(item));
    }
    return texts;
}

class SendWindowTest : public BulletinFixture {
protected:
    forms::ModalResult result = forms::ModalResult::None;

    void OpenBulletin(std::vector<std::string> args, Edition edition = Edition::Full) {
        result = morvane::bulletin::ShowBulletinWindow(*main, args.at(0), args.at(1), args.at(2),
                                                       args.at(3), args.at(4), args.at(5), edition);
    }
    void OpenNote(std::vector<std::string> args, Edition edition = Edition::Full) {
        result = morvane::bulletin::ShowNoteWindow(*main, args.at(0), args.at(1), args.at(2),
                                                   args.at(3), args.at(4), edition);
    }
    static std::string Utf8(const forms::CustomEdit& edit) { return GbkToUtf8(edit.Text()); }
};

TEST_F(SendWindowTest, CreationFetchesTheListsInOrderAndPresetsTheBulletinPage) {
    bool seen = false;
    ui->When<TfrmSendBNEx>([&](TfrmSendBNEx& f, forms::User&) {
        seen = true;
        EXPECT_EQ(GbkToUtf8(f.Caption), "发送公告");
        EXPECT_EQ(f.Width, 499);
        EXPECT_EQ(f.Height, 361);
        EXPECT_EQ(f.Constraints.MinWidth, 499);
        EXPECT_EQ(f.Constraints.MinHeight, 361);
        EXPECT_EQ(f.BorderIcons, forms::biSystemMenu);
        EXPECT_EQ(f.pcSendBN.ActivePage(), &f.tsBulletin);
        EXPECT_FALSE(f.tsBulletin.TabVisible);
        EXPECT_FALSE(f.tsNote.TabVisible);
        EXPECT_EQ(Utf8(f.edBulletinTitle), "标题");
        EXPECT_EQ(f.edBulletinTitle.MaxLength, 100);
        EXPECT_EQ(f.mmBulletinContent.MaxLength, 4000);
        EXPECT_EQ(f.mmBulletinContent.ScrollBars, forms::ScrollStyle::Both);
        EXPECT_EQ(GbkToUtf8(f.edBulletinTitle.Hint), "请输入公告标题，最大长度50个汉字");
        EXPECT_EQ(GbkToUtf8(f.lblBulletinGroup.Caption()), "接收群组：");
        EXPECT_EQ(GbkToUtf8(f.btnBulletinSend.Caption), "发送");
        EXPECT_EQ(Items(f.cbBulletinGrade.Items),
                  (std::vector<std::string>{"1 - 一般", "2 - 紧急", "3 - 特急", "4 - 故障"}));
        EXPECT_EQ(f.cbBulletinGrade.DropDownCount, 4);
        EXPECT_EQ(Items(f.cbNoteGrade.Items),
                  (std::vector<std::string>{"1 - 一般", "2 - 紧急", "3 - 特急"}));
        EXPECT_EQ(Items(f.cbBulletinType.Items),
                  (std::vector<std::string>{"1 - 业务通知", "2 - 系统公告"}));
        EXPECT_EQ(f.cbBulletinType.DropDownCount, 2);
        EXPECT_EQ(Items(f.cbBulletinCallCause.Items),
                  (std::vector<std::string>{"01 - 话费查询", "02 - 网络故障"}));
        EXPECT_EQ(GbkToUtf8(f.cbBulletinGrade.Text()), "4 - 故障");
        EXPECT_EQ(f.cbBulletinType.ItemIndex(), 1); // " 2 " matches after trimming
        EXPECT_EQ(f.cbBulletinCallCause.ItemIndex(), -1);
        EXPECT_EQ(Utf8(f.edBulletinGroup), "G01");
        EXPECT_EQ(Utf8(f.mmBulletinContent), "内容");
        EXPECT_TRUE(f.rbRecvStaffNos.Checked());
        EXPECT_FALSE(f.edNOteRecvGroup.Enabled);
        EXPECT_FALSE(f.lbList.Visible);
        EXPECT_EQ(f.lbList.Height, 132);
    });
    OpenBulletin({Utf8ToGbk("标题"), "4", " 2 ", "G01", "99", Utf8ToGbk("内容")});
    EXPECT_TRUE(seen);
    EXPECT_EQ(result, forms::ModalResult::Cancel);
    const std::vector<std::string> fetched = {"GETBULLETINTYPE", "GETCALLCAUSECFG~0571",
                                              "GETGROUPBYSTAFFNO~10001",
                                              "GETSTAFFBYSTAFFNOEX~10001"};
    EXPECT_EQ(ProcedureCalls(), fetched);

    // The lists are kept: a second window asks nothing; grade 9 selects nothing.
    ui->When<TfrmSendBNEx>([&](TfrmSendBNEx& f, forms::User&) {
        EXPECT_EQ(f.cbBulletinGrade.ItemIndex(), -1);
        EXPECT_EQ(f.cbBulletinType.Items.Count(), 2);
    });
    OpenBulletin({"", "9", "", "", "", ""});
    EXPECT_EQ(ProcedureCalls(), fetched);
    ExpectNoFailures();
}

TEST_F(SendWindowTest, ARefusedListStopsTheCreationThereAndTheBasicEditionAsksItsStaffQuery) {
    lists["GETCALLCAUSECFG"].returnCode = 1;
    ui->When<TfrmSendBNEx>([](TfrmSendBNEx& f, forms::User&) {
        EXPECT_EQ(f.cbBulletinType.Items.Count(), 2);
        EXPECT_EQ(f.cbBulletinType.DropDownCount, 2) << "the row limit of a list filled before";
        EXPECT_EQ(f.cbBulletinCallCause.Items.Count(), 0);
    });
    OpenNote({"", "", "", "", ""});
    EXPECT_EQ(ProcedureCalls(),
              (std::vector<std::string>{"GETBULLETINTYPE", "GETCALLCAUSECFG~0571"}));
    // A list that cannot be fetched at all does not stop it; the staff query of each edition.
    lists["GETCALLCAUSECFG"] = {{}, {}, 0, true};
    services->calls.clear();
    OpenNote({"", "", "", "", ""}, Edition::Basic);
    EXPECT_EQ(ProcedureCalls(),
              (std::vector<std::string>{"GETCALLCAUSECFG~0571", "GETGROUPBYSTAFFNO~10001",
                                        "GETSTAFFBYSTAFFNO~10001"}));
    EXPECT_EQ(main->cdsStaff.FieldByName("StaffNo").AsString(), "20001");
    ExpectNoFailures();
}

TEST_F(SendWindowTest, BulletinChecksRunInOrderAndASuccessfulSendCloses) {
    ui->AnswerNo();
    ui->AnswerYes();
    ui->When<TfrmSendBNEx>([](TfrmSendBNEx& f, forms::User& user) {
        user.Click(f.btnBulletinSend); // no title
        EXPECT_TRUE(f.edBulletinTitle.Focused());
        user.Type(f.edBulletinTitle, Utf8ToGbk("升级通知"));
        user.Click(f.btnBulletinSend); // no grade: the first one is chosen
        EXPECT_EQ(f.cbBulletinGrade.ItemIndex(), 0);
        user.Click(f.btnBulletinSend); // no type: the first one is chosen
        EXPECT_EQ(f.cbBulletinType.ItemIndex(), 0);
        user.Click(f.btnBulletinSend); // no group
        EXPECT_TRUE(f.edBulletinGroup.Focused());
        user.Type(f.edBulletinGroup, "G01,G09,g03");
        user.Click(f.btnBulletinSend); // keys match exactly: G09 is unknown, g03 known
        user.ClearText(f.edBulletinGroup);
        user.Type(f.edBulletinGroup, Utf8ToGbk("G01；G02"));
        // The grade decides the call cause; its choice stays and is sent.
        user.Select(f.cbBulletinGrade, 3);
        EXPECT_TRUE(f.cbBulletinCallCause.Enabled);
        user.Select(f.cbBulletinCallCause, 1);
        user.Select(f.cbBulletinGrade, 1);
        EXPECT_FALSE(f.cbBulletinCallCause.Enabled);
        user.Click(f.btnBulletinSend); // empty content: "no" stops
        EXPECT_TRUE(f.mmBulletinContent.Focused());
        user.Click(f.btnBulletinSend); // "yes" sends
    });
    OpenBulletin({"", "", "", "", "", ""});
    EXPECT_EQ(result, forms::ModalResult::Ok);
    EXPECT_EQ(ui.MessageTextsUtf8(),
              (std::vector<std::string>{
                  "请输入标题！", "请选择优先级！", "请选择公告类型！",
                  "接收群组为空，请重新输入！", "有以下的群组【G09】不存在！请重新输入！",
                  "公告内容为空，是否仍然继续？", "公告内容为空，是否仍然继续？", "发送成功"}));
    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(Params(calls[0]),
              (std::vector<std::string>{"title=升级通知", "sendStaffNo=10001",
                                        "pass=ZW5jb2RlZA==", "grade=2", "typeId=1",
                                        "classGroup=G01；G02", "callCause=02", "contents="}));
    ExpectNoFailures();
}

TEST_F(SendWindowTest, ClosedListsFailTheExistenceCheckWithNothingBetweenTheBrackets) {
    lists["GETGROUPBYSTAFFNO"].fails = true;
    lists["GETSTAFFBYSTAFFNOEX"].returnCode = 3;
    ui->When<TfrmSendBNEx>([](TfrmSendBNEx& f, forms::User& user) {
        user.Click(f.btnNoteSend); // staff list closed
        user.Select(f.rbRecvGroups);
        user.Type(f.edNOteRecvGroup, "G01");
        user.Click(f.btnNoteSend); // group list closed
        user.ClickButton(f.edNOteRecvGroup);
        EXPECT_TRUE(f.lbList.Visible);
        EXPECT_EQ(f.lbList.Items.Count(), 0);
        user.Click(f.btnNoteClose);
    });
    OpenNote({"t", "1", "10002", "", "c"});
    EXPECT_EQ(result, forms::ModalResult::Cancel);
    EXPECT_EQ(ui.MessageTextsUtf8(),
              (std::vector<std::string>{"有以下的工号【】不存在！请重新输入！",
                                        "有以下的群组【】不存在！请重新输入！"}));
    EXPECT_TRUE(Calls().empty());
    ExpectNoFailures();
}

TEST_F(SendWindowTest, AFailedSendKeepsTheWindowOpen) {
    lists["GETIPPORT"].fails = true;
    ui->When<TfrmSendBNEx>([this](TfrmSendBNEx& f, forms::User& user) {
        // The address table cannot be fetched: the error is reported, the window stays.
        user.Click(f.btnBulletinSend);
        EXPECT_FALSE(f.ModalEnded());
        lists["GETIPPORT"].fails = false;
        server.SetMode("fault");
        user.Click(f.btnBulletinSend); // "" from the service: nothing shown, still open
        EXPECT_FALSE(f.ModalEnded());
        server.SetMode("normal");
        server.SetAnswer("发送失败：群组已停用");
        user.Click(f.btnBulletinSend); // an answer without success is shown, still open
        EXPECT_FALSE(f.ModalEnded());
        user.Click(f.btnBulletinClose);
    });
    OpenBulletin({"t", "1", "1", "G01", "", "c"});
    EXPECT_EQ(result, forms::ModalResult::Cancel);
    EXPECT_EQ(ui.MessageTextsUtf8(), (std::vector<std::string>{"发送失败！无法访问公告便笺服务器！",
                                                               "发送失败：群组已停用"}));
    EXPECT_EQ(Calls().size(), 2u);
    ExpectNoFailures();
}

TEST_F(SendWindowTest, NoteChecksAndOnlyTheChosenReceiversOfEachEdition) {
    ui->AnswerNo();
    ui->When<TfrmSendBNEx>([](TfrmSendBNEx& f, forms::User& user) {
        EXPECT_EQ(GbkToUtf8(f.Caption), "发送便笺");
        EXPECT_EQ(f.pcSendBN.ActivePage(), &f.tsNote);
        user.Click(f.btnNoteSend); // no title
        user.Type(f.edNoteTitle, "T");
        user.Click(f.btnNoteSend); // grade "7" selected nothing: the first is chosen
        user.Click(f.btnNoteSend); // empty content: the bulletin's question, "no"
        EXPECT_TRUE(f.mmNoteContent.Focused());
        user.Type(f.mmNoteContent, Utf8ToGbk("请回电"));
        user.ClearText(f.edNoteRecvStaff);
        user.Click(f.btnNoteSend); // no staff
        user.Type(f.edNoteRecvStaff, "10002;10004");
        user.Click(f.btnNoteSend); // 10004 unknown
        user.Select(f.rbRecvGroups);
        EXPECT_FALSE(f.edNoteRecvStaff.Enabled);
        EXPECT_TRUE(f.edNOteRecvGroup.Enabled);
        user.Click(f.btnNoteSend); // the group edit is empty
        user.Type(f.edNOteRecvGroup, Utf8ToGbk("G01 - 一组,G02 - 二组"));
        user.Click(f.btnNoteSend);
    });
    OpenNote({"", "7", "x", "", ""});
    EXPECT_EQ(result, forms::ModalResult::Ok);
    EXPECT_EQ(ui.MessageTextsUtf8(),
              (std::vector<std::string>{
                  "请输入标题！", "请选择优先级！", "公告内容为空，是否仍然继续？",
                  "接收工号为空，请重新输入！", "有以下的工号【10004】不存在！请重新输入！",
                  "接收群组为空，请重新输入！", "发送成功"}));
    // The basic edition (its own main window, as in its own library): its staff list, no
    // module, the older operation.
    main = std::make_unique<morvane::TInterFacefrmMain>(nullptr, morvane::BuiltEdition());
    ui->When<TfrmSendBNEx>([](TfrmSendBNEx& f, forms::User& user) { user.Click(f.btnNoteSend); });
    OpenNote({"T", "3", "20001", "G01", "c"}, Edition::Basic);
    EXPECT_EQ(result, forms::ModalResult::Ok);

    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].element, "sendNew");
    EXPECT_EQ(Params(calls[0]), (std::vector<std::string>{"title=T", "sendStaffNo=10001",
                                                          "pass=ZW5jb2RlZA==", "grade=1",
                                                          "recvStaffNos=", "recvClassGroup=G01,G02",
                                                          "content=请回电", "sendmodule=AG"}));
    EXPECT_EQ(calls[1].element, "send");
    EXPECT_EQ(Params(calls[1]), (std::vector<std::string>{
                                    "title=T", "sendStaffNo=10001", "pass=ZW5jb2RlZA==", "grade=3",
                                    "recvStaffNos=20001", "recvClassGroup=", "content=c"}));
    ExpectNoFailures();
}

TEST_F(SendWindowTest, PickListTicksClicksSpaceAndHides) {
    ui->AnswerYes();
    ui->When<TfrmSendBNEx>([](TfrmSendBNEx& f, forms::User& user) {
        user.ClickButton(f.edBulletinGroup);
        ASSERT_TRUE(f.lbList.Visible);
        EXPECT_EQ(f.PickListTarget(), &f.edBulletinGroup);
        EXPECT_TRUE(f.lbList.Focused());
        EXPECT_EQ(f.lbList.Width, f.edBulletinGroup.Width);
        EXPECT_EQ(f.lbList.Height, 132);
        int left = f.edBulletinGroup.Left + 3;
        int top = f.edBulletinGroup.Top + f.edBulletinGroup.Height + 3;
        for (auto* p = f.edBulletinGroup.Parent(); p != &f; p = p->Parent()) {
            left += p->Left;
            top += p->Top;
        }
        EXPECT_EQ(f.lbList.Left, left);
        EXPECT_EQ(f.lbList.Top, top);
        EXPECT_EQ(Items(f.lbList.Items),
                  (std::vector<std::string>{"G01 - 一组", "G02 - 二组", "g03 - 三组"}));
        // "g02" in the edit ticks G02 (letter case ignored).
        EXPECT_FALSE(f.lbList.Checked(0));
        EXPECT_TRUE(f.lbList.Checked(1));
        user.Tick(f.lbList, 0);
        EXPECT_EQ(Utf8(f.edBulletinGroup), "G01 - 一组,G02 - 二组");
        user.Untick(f.lbList, 1);
        EXPECT_EQ(Utf8(f.edBulletinGroup), "G01 - 一组");
        // Space: the highlighted items take the focused item's new state.
        user.Select(f.lbList, 1);
        user.SelectMore(f.lbList, 2);
        user.KeyPress(f.lbList, ' ');
        EXPECT_TRUE(f.lbList.Checked(1));
        EXPECT_TRUE(f.lbList.Checked(2));
        EXPECT_EQ(Utf8(f.edBulletinGroup), "G01 - 一组,G02 - 二组,g03 - 三组");
        user.Focus(f.edBulletinTitle);
        EXPECT_FALSE(f.lbList.Visible);
        EXPECT_EQ(f.PickListTarget(), nullptr);
        user.Untick(f.lbList, 2); // hidden: out of reach
        user.ClearText(f.edBulletinGroup);
        user.Type(f.edBulletinGroup, Utf8ToGbk("G01 - 一组,G02 - 二组"));
        user.Click(f.btnBulletinSend);
    });
    OpenBulletin({"t", "1", "1", "g02", "", ""});
    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(Params(calls[0])[5], "classGroup=G01,G02");
    ExpectNoFailures();
}

TEST_F(SendWindowTest, TheWindowWordsOpenTheirPagesWithTheirArguments) {
    std::vector<std::string> seen;
    ui->When<TfrmSendBNEx>([&](TfrmSendBNEx& f, forms::User&) {
        seen.push_back(GbkToUtf8(f.Caption) + "|" + Utf8(f.edNoteTitle) + Utf8(f.edBulletinTitle) +
                       "|" + Utf8(f.edNoteRecvStaff) + Utf8(f.edBulletinGroup) + "|" +
                       Utf8(f.edNOteRecvGroup) + "|" + Utf8(f.mmNoteContent) +
                       Utf8(f.mmBulletinContent));
    });
    Variant output;
    morvane::bulletin::SendBNNoteWindow(
        *main, Variant::ArrayOf({"sendbnnotewindow", "a", "1", "10002", "G01", "c"}), output);
    morvane::bulletin::SendBNBulletinWindow(
        *main, Variant::ArrayOf({"SENDBNBULLETINWINDOW", "b", "1", "1", "G02", "01", "d"}), output);
    EXPECT_TRUE(output.IsEmpty());
    EXPECT_EQ(seen, (std::vector<std::string>{"发送便笺|a|10002|G01|c", "发送公告|b|G02||d"}));
    ExpectNoFailures();
}

} // namespace
} // namespace bulletin_test
