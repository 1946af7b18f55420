// The common-message picker: the city list at creation, the refresh, the tree built from ID and
// SUPERID, the city filter, choosing leaves, the search as a literal predicate and its result
// page, and the log lines when a list cannot be fetched.
#include "Tables.h"
#include "shortmsg/untSMSelect.h"
#include "support/FakeHostServices.h"
#include "support/ScopedBackend.h"

#include <zeph/dataset/DataPacket.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shortmsg_test {
namespace {

using morvane::shortmsg::TfrmSMSelect;
namespace forms = zeph::forms;
namespace dataset = zeph::dataset;

std::string H(const char* utf8) {
    return zeph::text::HostLiteral(utf8);
}

// The captions of the tree, depth first, each indented by its level.
std::vector<std::string> Outline(const forms::TreeView& tree) {
    std::vector<std::string> lines;
    for (forms::TreeNode* node : tree.Items.All()) {
        lines.push_back(std::string(static_cast<std::size_t>(node->Level()) * 2, ' ') +
                        zeph::text::GbkToUtf8(node->Text));
    }
    return lines;
}

class SmSelectTest : public ::testing::Test {
protected:
    SmSelectTest() {
        services->onOpenByServerFlag = [this](const std::string& flag, const std::string& city,
                                              zeph::Variant& data) {
            const bool cityList = flag == "ZEPHSC_AG_SELCITY";
            requests.push_back(flag + "(" + city + ")");
            if ((cityList && !serveCities) || (!cityList && !serveMessages)) {
                return false;
            }
            data = dataset::WriteDataPacket(cityList ? cities : messages);
            return true;
        };
    }

    std::unique_ptr<TfrmSMSelect> Open() {
        auto form = std::make_unique<TfrmSMSelect>(nullptr, client);
        form->btnRefreshClick(form->btnRefresh);
        return form;
    }

    zeph::testing::ServicesScope<> services;
    zeph::testing::ScopedBackend ui;
    zeph::TZephClient client{nullptr};
    dataset::TRecordTable cities = Table(kCityFields, {{"0571", "杭州"}, {"0574", "宁波"}});
    dataset::TRecordTable messages =
        Table(kMessageFields, {{"1", "0", "问候", "", "0"},
                               {"11", "1", "感谢来电", "感谢您致电，祝您愉快！", "0"},
                               {"12", "1", "致歉", "给您带来不便，深表歉意。", "0"},
                               {"2", "0", "业务", "", "0"},
                               {"21", "2", "宽带报修", "宽带报修已受理，100%处理。", "0571"},
                               {"22", "2", "宁波营业厅", "宁波营业厅营业时间9:00-17:30。", "0574"},
                               {"a3", "x9", "孤儿", "上级不存在的消息，可用'引号'。", "0571"}});
    bool serveCities = true, serveMessages = true;
    std::vector<std::string> requests;
};

TEST_F(SmSelectTest, RefreshFillsTheCitiesAndTheTreeOfTheAgentsCity) {
    auto form = Open();
    EXPECT_EQ(requests,
              (std::vector<std::string>{"ZEPHSC_AG_SELCITY()", "ZEPHSC_AG_SELCONTENTMSG(0571)"}));
    EXPECT_EQ(form->Caption, H("常用消息选择"));
    EXPECT_EQ(form->ClientWidth(), 567);
    EXPECT_EQ(form->ClientHeight(), 448);
    EXPECT_EQ(form->FormStyle, forms::FormStyle::StayOnTop);
    EXPECT_EQ(form->Position, forms::Position::DesktopCenter);
    EXPECT_FALSE(form->tsSelect.TabVisible || form->tsFindResult.TabVisible);
    EXPECT_EQ(form->cbCity.Items.Text(), H("0571-杭州\r\n0574-宁波\r\n"));
    EXPECT_EQ(form->cbCity.ItemIndex(), 0);
    EXPECT_EQ(form->cbCity.DropDownCount, 2);
    // Rows whose SUPERID names no row are roots: "0" here, and "x9" for the orphan.
    EXPECT_EQ(Outline(form->dbMsgList), (std::vector<std::string>{"问候", "  感谢来电", "  致歉",
                                                                  "业务", "  宽带报修", "孤儿"}));
    ASSERT_EQ(form->lvList.Items.Count(), 6);
    EXPECT_FALSE(form->lvList.Visible);
    EXPECT_EQ(form->lvList.Items[4].Caption, "21");
    EXPECT_EQ(form->lvList.Items[4].SubItems,
              std::vector<std::string>{H("宽带报修已受理，100%处理。")});
    EXPECT_TRUE(form->btnRefresh.Enabled);

    // Another city: its messages and those of all cities.
    forms::User user;
    ASSERT_TRUE(user.Select(form->cbCity, 1));
    EXPECT_EQ(Outline(form->dbMsgList),
              (std::vector<std::string>{"问候", "  感谢来电", "  致歉", "业务", "  宁波营业厅"}));
    EXPECT_EQ(form->lvList.Items.Count(), 5);

    // Fifteen rows shown once there are more than fourteen cities.
    for (int i = 0; i < 13; ++i) {
        cities.AppendRow({std::to_string(1000 + i), "c"});
    }
    auto many = Open();
    EXPECT_EQ(many->cbCity.Items.Count(), 15);
    EXPECT_EQ(many->cbCity.DropDownCount, 15);
}

TEST_F(SmSelectTest, ChoosingLeavesOnlyAndClosingWithTheChoice) {
    auto form = Open();
    form->SelectedContent = H("开窗时的内容");
    ui->When<TfrmSMSelect>([](TfrmSMSelect& f, forms::User& user) {
        EXPECT_EQ(f.pcMain.ActivePage(), &f.tsSelect);
        forms::TreeNode& greeting = f.dbMsgList.Items.Root(0);
        user.Select(f.dbMsgList, greeting); // a node with children is ignored
        EXPECT_EQ(f.SelectedContent, H("开窗时的内容"));
        user.Select(f.dbMsgList, greeting.Item(1));
        EXPECT_EQ(f.SelectedContent, H("给您带来不便，深表歉意。"));
        EXPECT_EQ(f.mmContent.Text(), f.SelectedContent);
        EXPECT_EQ(f.dbMsgList.Hint, f.SelectedContent);
        user.DoubleClick(f.dbMsgList, f.dbMsgList.Items.Root(2)); // the orphan is a leaf
    });
    EXPECT_EQ(form->ShowModal(), forms::ModalResult::Ok);
    EXPECT_EQ(form->SelectedContent, H("上级不存在的消息，可用'引号'。"));

    // "确定" without a choice hands back what the opener gave.
    auto untouched = Open();
    untouched->SelectedContent = "given";
    ui->When<TfrmSMSelect>([](TfrmSMSelect& f, forms::User& user) { user.Click(f.btnOK); });
    EXPECT_EQ(untouched->ShowModal(), forms::ModalResult::Ok);
    EXPECT_EQ(untouched->SelectedContent, "given");
}

TEST_F(SmSelectTest, SearchIsALiteralPredicateAndItsResultIsNotTheChoice) {
    auto form = Open();
    std::vector<std::string> found;
    ui->When<TfrmSMSelect>([&](TfrmSMSelect& f, forms::User& user) {
        forms::TreeNode& thanks = f.dbMsgList.Items.Root(0).Item(0);
        user.Select(f.dbMsgList, thanks);

        // Empty search text, then a text that is nowhere.
        user.Click(f.btnSearch);
        user.Type(f.EditFind, "  ");
        user.Click(f.btnSearch);
        user.ClearText(f.EditFind);
        user.Type(f.EditFind, H("无此内容 "));
        user.KeyPress(f.EditFind, '\r');
        EXPECT_EQ(f.pcMain.ActivePage(), &f.tsSelect);
        EXPECT_EQ(f.dbMsgList.Selected(), nullptr);

        // A "%" is a character, not a wildcard; a quote cannot end the condition.
        for (const char* text : {"%", "'引号'", "' or '1'='1", "营业厅"}) {
            f.pcMain.SetActivePage(&f.tsSelect);
            user.ClearText(f.EditFind);
            user.Type(f.EditFind, H(text));
            user.Click(f.btnSearch);
            std::string line = text;
            for (forms::TreeNode* node : f.tvFindResult.Items.All()) {
                line += " | " + zeph::text::GbkToUtf8(node->Text);
            }
            found.push_back(line);
        }

        // A search that finds something: its page, its first result selected.
        f.pcMain.SetActivePage(&f.tsSelect);
        user.ClearText(f.EditFind);
        user.Type(f.EditFind, H("您"));
        user.Select(f.dbMsgList, thanks);
        user.Click(f.btnSearch);
        EXPECT_EQ(f.pcMain.ActivePage(), &f.tsFindResult);
        ASSERT_EQ(f.tvFindResult.Items.RootCount(), 2);
        EXPECT_EQ(f.tvFindResult.Selected(), &f.tvFindResult.Items.Root(0));
        // The filter is off afterwards: all fetched messages of all cities.
        EXPECT_FALSE(f.cdsMsg.Filtered());
        EXPECT_EQ(f.cdsMsg.RecordCount(), 7u);
        EXPECT_EQ(f.SelectedContent, H("感谢您致电，祝您愉快！")); // re-read from the tree

        user.DoubleClick(f.tvFindResult, f.tvFindResult.Items.Root(1));
        EXPECT_EQ(f.pcMain.ActivePage(), &f.tsSelect);
        EXPECT_EQ(f.mmContent.Text(), H("给您带来不便，深表歉意。"));
        user.Click(f.btnOK);
    });
    EXPECT_EQ(form->ShowModal(), forms::ModalResult::Ok);
    // The last choice in the tree, not the search result.
    EXPECT_EQ(form->SelectedContent, H("感谢您致电，祝您愉快！"));
    EXPECT_EQ(
        ui.MessageTextsUtf8(),
        (std::vector<std::string>{"请输入要搜索的内容", "请输入要搜索的内容", "找不到'无此内容 '",
                                  "找不到'' or '1'='1'", "找不到'营业厅'"}));
    EXPECT_EQ(found,
              (std::vector<std::string>{"% | 宽带报修已受理，100%处理。",
                                        "'引号' | 上级不存在的消息，可用'引号'。", "' or '1'='1",
                                        // Of the chosen city and all cities only.
                                        "营业厅"}));
}

TEST_F(SmSelectTest, SearchNeedsACityAndTheFindPageCancels) {
    cities = Table(kCityFields, {{"0574", "宁波"}}); // the agent's city 0571 is not listed
    auto form = Open();
    EXPECT_EQ(form->cbCity.ItemIndex(), -1);
    // Without a city only the messages for all cities are shown.
    EXPECT_EQ(Outline(form->dbMsgList),
              (std::vector<std::string>{"问候", "  感谢来电", "  致歉", "业务"}));
    forms::User user;
    user.Type(form->EditFind, H("您"));
    user.Click(form->btnSearch);
    EXPECT_EQ(ui.MessageTextsUtf8(), std::vector<std::string>{"请选择地市"});
    user.Select(form->cbCity, 0);
    user.Click(form->btnSearch);
    EXPECT_EQ(form->pcMain.ActivePage(), &form->tsFindResult);
    EXPECT_EQ(form->tvFindResult.Items.RootCount(), 2);
    const std::string before = form->mmContent.Text();
    user.Click(form->btnFindCancel);
    EXPECT_EQ(form->pcMain.ActivePage(), &form->tsSelect);
    EXPECT_EQ(form->mmContent.Text(), before);
}

TEST_F(SmSelectTest, ListsThatCannotBeFetchedAreLogged) {
    serveMessages = false;
    auto form = Open();
    EXPECT_EQ(services->logLines,
              std::vector<std::string>{"ERRORDLG_DAT_GETSYSTEMPARAM: ZEPHSC_AG_SELCONTENTMSG"});
    EXPECT_EQ(form->dbMsgList.Items.Count(), 0);
    EXPECT_EQ(form->lvList.Items.Count(), 0);
    EXPECT_EQ(form->cbCity.Items.Count(), 2);

    services->logLines.clear();
    serveCities = false;
    auto noCities = Open();
    EXPECT_EQ(services->logLines, std::vector<std::string>{"ERRORDLG_DAT_GETCITYDATA"});
    EXPECT_FALSE(noCities->cdsCity.Active());
    EXPECT_EQ(noCities->cbCity.Items.Count(), 0);
    // Shown, the refresh closes the window.
    ui->When<TfrmSMSelect>([](TfrmSMSelect& f, forms::User& user) { user.Click(f.btnRefresh); });
    EXPECT_EQ(noCities->ShowModal(), forms::ModalResult::Cancel);
    EXPECT_TRUE(ui->Failures().empty());
}

} // namespace
} // namespace shortmsg_test
