// Controls keep their state as the host framework's do and fire the events its windows
// handle: drop-downs, check lists, list views, radio groups, trees, pages, focus, progress.
#include "FormsTestSupport.h"

#include <zeph/forms/DateTime.h>

namespace formstest {
namespace {

TEST_F(FormsTest, ChoosingDropDownItemFiresClickThenChangeOrSelect) {
    TfrmSample f;
    std::vector<std::string> order;
    f.cmbList.OnClick = [&](zf::Control&) { order.push_back("click"); };
    f.cmbList.OnChange = [&](zf::Control&) { order.push_back("change " + f.cmbList.Text()); };
    user.Select(f.cmbList, 1);
    EXPECT_EQ(order, (std::vector<std::string>{"click", "change " + "2 - 紧急"_host}));
    // With OnSelect set, it is fired instead of OnChange.
    order.clear();
    f.cmbList.OnSelect = [&](zf::Control&) { order.push_back("select"); };
    user.Select(f.cmbList, "1 - 一般"_host);
    EXPECT_EQ(order, (std::vector<std::string>{"click", "select"}));
    EXPECT_THROW(user.Select(f.cmbList, 5), zf::EUserAction);
    EXPECT_THROW(user.Select(f.cmbList, "9 - 无"_host), zf::EUserAction);
}

TEST_F(FormsTest, DropDownSelectionFollowsItemChanges) {
    TfrmSample f;
    f.cmbList.SetItemIndex(1);
    f.cmbList.Items.Insert(0, "0 - x");
    EXPECT_EQ(f.cmbList.ItemIndex(), 2);
    f.cmbList.Items.Delete(2);
    EXPECT_EQ(f.cmbList.ItemIndex(), -1);
    EXPECT_EQ(f.cmbList.Text(), "");
    f.cmbList.SetText("0 - X"); // a fixed list selects the equal item, ignoring case
    EXPECT_EQ(f.cmbList.ItemIndex(), 0);
    f.cmbList.Items.Clear();
    EXPECT_EQ(f.cmbList.ItemIndex(), -1);
    EXPECT_THROW(f.cmbList.SetItemIndex(0), std::out_of_range);
}

TEST_F(FormsTest, EditableDropDownTakesTypedText) {
    TfrmSample f;
    f.cmbList.Style = zf::ComboStyle::DropDown;
    int changes = 0;
    f.cmbList.OnChange = [&](zf::Control&) { ++changes; };
    user.Type(f.cmbList, "ab");
    EXPECT_EQ(f.cmbList.Text(), "ab");
    EXPECT_EQ(changes, 2);
    f.cmbList.Style = zf::ComboStyle::DropDownList;
    user.Type(f.cmbList, "c");
    EXPECT_EQ(changes, 2);
}

TEST_F(FormsTest, CheckListTickFiresClickCheckThenClickAndSpaceToggles) {
    TfrmSample f;
    f.lbList.MultiSelect = true;
    f.lbList.Items.Add("1 - a");
    f.lbList.Items.Add("2 - b");
    f.lbList.Items.Add("3 - c");
    std::vector<std::string> order;
    f.lbList.OnClickCheck = [&](zf::Control&) { order.push_back("check"); };
    f.lbList.OnClick = [&](zf::Control&) { order.push_back("click"); };
    EXPECT_TRUE(user.Tick(f.lbList, 1));
    EXPECT_TRUE(f.lbList.Checked(1));
    EXPECT_EQ(f.lbList.ItemIndex(), 1);
    EXPECT_EQ(order, (std::vector<std::string>{"check", "click"}));
    EXPECT_FALSE(user.Tick(f.lbList, 1)); // already ticked: nothing to do
    order.clear();
    user.Select(f.lbList, 2);
    user.SelectMore(f.lbList, 0);
    EXPECT_TRUE(f.lbList.Selected(0));
    EXPECT_TRUE(f.lbList.Selected(2));
    EXPECT_EQ(f.lbList.ItemIndex(), 0);
    // Space on the focused item toggles its tick, then the window's key handler runs on up.
    bool sawUp = false;
    f.lbList.OnKeyUp = [&](zf::Control&, std::uint16_t& key, zf::ShiftState) {
        sawUp = key == zf::keys::Space;
    };
    user.PressKey(f.lbList, zf::keys::Space);
    EXPECT_TRUE(f.lbList.Checked(0));
    EXPECT_TRUE(sawUp);
    EXPECT_THROW(user.Tick(f.lbList, 3), zf::EUserAction);
}

TEST_F(FormsTest, ListItemsKeepStateThroughInsertAndDelete) {
    TfrmSample f;
    f.lbList.Items.Add("a");
    f.lbList.Items.Add("b");
    f.lbList.SetChecked(1, true);
    f.lbList.Items.Insert(0, "z");
    EXPECT_TRUE(f.lbList.Checked(2));
    EXPECT_FALSE(f.lbList.Checked(0));
    f.lbList.Items.Delete(0);
    EXPECT_TRUE(f.lbList.Checked(1));
}

TEST_F(FormsTest, ListViewTickUntickAndDoubleClickToggle) {
    TfrmSample f;
    std::vector<std::string> checked;
    f.lvSelect.OnItemChecked = [&](zf::ListView&, zf::ListItem& item) {
        checked.push_back(item.Caption + (item.Checked() ? "+" : "-"));
    };
    f.lvSelect.Items[0].SetChecked(true);
    EXPECT_TRUE(user.Untick(f.lvSelect, 0));
    EXPECT_FALSE(user.Untick(f.lvSelect, 0));
    EXPECT_TRUE(user.Tick(f.lvSelect, 2));
    int dbl = 0;
    f.lvSelect.OnDblClick = [&](zf::Control&) { ++dbl; };
    user.DoubleClick(f.lvSelect, 1);
    EXPECT_EQ(dbl, 1);
    EXPECT_EQ(f.lvSelect.ItemIndex(), 1);
    EXPECT_EQ(checked, (std::vector<std::string>{"A+", "A-", "C+", "B+"}));
    f.lvSelect.Checkboxes = false;
    EXPECT_THROW(user.Tick(f.lvSelect, 0), zf::EUserAction);
}

TEST_F(FormsTest, ListViewInsertAtTopKeepsColumnOrder) {
    TfrmSample f;
    f.lvSelect.Items.Clear();
    for (const char* title : {"c3", "c2", "c1"}) {
        zf::ListItem& item = f.lvSelect.Items.Insert(0);
        item.Caption = title;
    }
    ASSERT_EQ(f.lvSelect.Items.Count(), 3);
    EXPECT_EQ(f.lvSelect.Items[0].Caption, "c1");
    EXPECT_EQ(f.lvSelect.Items[2].Caption, "c3");
    EXPECT_EQ(f.lvSelect.Items[1].Index(), 1);
}

TEST_F(FormsTest, RadioButtonsOfOneContainerExcludeEachOther) {
    TfrmSample f;
    int clicks = 0;
    f.rbTwo.OnClick = [&](zf::Control&) { ++clicks; };
    f.rbOne.SetChecked(true);
    user.Click(f.rbTwo);
    EXPECT_TRUE(f.rbTwo.Checked());
    EXPECT_FALSE(f.rbOne.Checked());
    user.Click(f.rbTwo); // already checked: no new click event
    EXPECT_EQ(clicks, 1);
    // A radio button on another container is a group of its own.
    zf::RadioButton rbPage(f, "rbPage");
    rbPage.SetParent(&f.tsFirst);
    rbPage.SetChecked(true);
    EXPECT_TRUE(f.rbTwo.Checked());
}

TEST_F(FormsTest, CheckBoxTickTogglesAndFiresClick) {
    TfrmSample f;
    int clicks = 0;
    f.chkFlag.OnClick = [&](zf::Control&) { ++clicks; };
    EXPECT_TRUE(user.Tick(f.chkFlag));
    EXPECT_FALSE(user.Tick(f.chkFlag));
    EXPECT_TRUE(user.Untick(f.chkFlag));
    EXPECT_EQ(clicks, 2);
}

TEST_F(FormsTest, FocusMovesWithExitThenEnter) {
    TfrmSample f;
    std::vector<std::string> order;
    f.edtName.OnEnter = [&](zf::Control&) { order.push_back("enter name"); };
    f.edtName.OnExit = [&](zf::Control&) { order.push_back("exit name"); };
    f.btnOk.OnEnter = [&](zf::Control&) { order.push_back("enter ok"); };
    f.btnOk.OnClick = [&](zf::Control&) { order.push_back("click ok"); };
    user.Type(f.edtName, "a");
    user.Click(f.btnOk);
    EXPECT_EQ(order, (std::vector<std::string>{"enter name", "exit name", "enter ok", "click ok"}));
    EXPECT_TRUE(f.btnOk.Focused());
    f.edtName.Enabled = false;
    EXPECT_THROW(f.edtName.SetFocus(), zf::EInvalidOperation);
}

TEST_F(FormsTest, PageControlRefusesHiddenTabsToPersonsButNotToCode) {
    TfrmSample f;
    int changes = 0;
    f.pgMain.OnChange = [&](zf::Control&) { ++changes; };
    EXPECT_EQ(f.pgMain.ActivePage(), &f.tsFirst);
    user.Select(f.pgMain, f.tsSecond);
    EXPECT_EQ(f.pgMain.ActivePageIndex(), 1);
    EXPECT_EQ(changes, 1);
    f.tsFirst.TabVisible = false;
    EXPECT_THROW(user.Select(f.pgMain, 0), zf::EUserAction);
    f.pgMain.SetActivePage(&f.tsFirst);
    EXPECT_TRUE(f.tsFirst.Active());
    EXPECT_EQ(changes, 1);
    bool allow = false;
    f.pgMain.OnChanging = [&](zf::PageControl&, bool& ok) { ok = allow; };
    user.Select(f.pgMain, f.tsSecond);
    EXPECT_EQ(f.pgMain.ActivePage(), &f.tsFirst);
}

TEST_F(FormsTest, DataTreeBuildsLevelsFromCodesAndParentCodes) {
    TfrmSample f;
    std::vector<zf::TreeRecord> records = {
        {"1", "0", "root"},    {"11", "1", "child a"},  {"12", "1", "child b"},
        {"111", "11", "leaf"}, {"9", "", "other root"}, {"x", "y", "loop 1"},
        {"y", "x", "loop 2"},  {"s", "s", "self"},
    };
    f.tvTree.Build(records);
    ASSERT_EQ(f.tvTree.Items.RootCount(), 4);
    EXPECT_EQ(f.tvTree.Items.Root(0).Text, "root");
    EXPECT_EQ(f.tvTree.Items.Root(0).Count(), 2);
    EXPECT_EQ(f.tvTree.Items.Root(0).Item(0).Item(0).Text, "leaf");
    EXPECT_EQ(f.tvTree.Items.Root(1).Text, "other root");
    EXPECT_EQ(f.tvTree.Items.Root(2).Text, "loop 1"); // the loop's first record is a root
    EXPECT_EQ(f.tvTree.Items.Root(2).Item(0).Text, "loop 2");
    EXPECT_EQ(f.tvTree.Items.Root(3).Text, "self");
    EXPECT_EQ(f.tvTree.Items.Count(), 8); // nothing lost
    EXPECT_EQ(f.tvTree.FindKey("111")->Level(), 2);
}

TEST_F(FormsTest, TreeSelectionFiresChangingChangeClickAndDoubleClickFolds) {
    TfrmSample f;
    f.tvTree.Build({{"1", "", "root"}, {"2", "1", "leaf"}});
    std::vector<std::string> order;
    f.tvTree.OnChange = [&](zf::TreeView&, zf::TreeNode* node) {
        order.push_back("change " + (node ? node->Text : std::string("none")));
    };
    f.tvTree.OnClick = [&](zf::Control&) { order.push_back("click"); };
    f.tvTree.OnDblClick = [&](zf::Control&) { order.push_back("dblclick"); };
    f.tvTree.OnExpanding = [&](zf::TreeView&, zf::TreeNode& n, bool&) {
        order.push_back("expanding " + n.Text);
    };
    zf::TreeNode& root = f.tvTree.Items.Root(0);
    user.DoubleClick(f.tvTree, root);
    EXPECT_TRUE(root.Expanded());
    user.Select(f.tvTree, root.Item(0));
    EXPECT_EQ(order, (std::vector<std::string>{"change root", "click", "dblclick", "expanding root",
                                               "change leaf", "click"}));
    f.tvTree.Items.Clear();
    EXPECT_EQ(order.back(), "change none");
    EXPECT_EQ(f.tvTree.Selected(), nullptr);
}

TEST_F(FormsTest, ProgressBarKeepsPositionInRange) {
    zf::Form f(nullptr, "f");
    zf::ProgressBar pb(f, "pb");
    pb.SetMax(3);
    pb.StepBy(1);
    pb.StepBy(5);
    EXPECT_EQ(pb.Position(), 3);
    pb.SetMax(2);
    EXPECT_EQ(pb.Position(), 2);
    pb.SetPosition(-4);
    EXPECT_EQ(pb.Position(), 0);
}

TEST_F(FormsTest, LabelAutoSizeMeasuresDoubleByteCharactersTwiceAsWide) {
    zf::Form f(nullptr, "f");
    zf::Label la(f, "la");
    la.Font.Size = 9;
    la.SetCaption("ab");
    int narrow = la.Width;
    la.SetCaption("中"_host);
    EXPECT_EQ(la.Width, narrow);
    la.SetCaption("正在导入，请稍侯..."_host);
    EXPECT_EQ(la.Width, 6 * 19);
}

TEST_F(FormsTest, ControlsCreatedAtRunTimeAreFreedFromTheirContainer) {
    zf::Form f(nullptr, "f");
    zf::ScrollBox box(f, "sbxInput");
    zf::Memo memo(f, "Memo1");
    memo.SetParent(&box);
    for (int i = 0; i < 3; ++i) {
        auto* edit = f.Adopt(std::make_unique<zf::LabeledEdit>(&f, "le" + std::to_string(i)));
        edit->SetParent(&box);
        edit->EditLabel.SetCaption("Input[" + std::to_string(i) + "]: ");
        edit->SetLabelPosition(zf::LabeledEdit::LabelPositions::Left);
        edit->SetBounds(70, 25 * (i + 1), 200, 21);
    }
    // Each labelled edit brings its label into the box.
    EXPECT_EQ(box.ControlCount(), 7);
    EXPECT_EQ(zf::FindControl(f, "le1")->Top, 50);
    box.FreeControls();
    EXPECT_EQ(box.ControlCount(), 0);
    EXPECT_EQ(zf::FindControl(f, "le1"), nullptr);
    EXPECT_EQ(memo.Parent(), nullptr); // a member is only taken off
}

TEST_F(FormsTest, DateTimeValuesEncodeDecodeAndPickersKeepTheOtherPart) {
    zf::TDateTime value = zf::EncodeDateTime({2024, 2, 29, 13, 5, 9, 0});
    EXPECT_EQ(zf::FormatDateTime(value), "2024-02-29 13:05:09");
    EXPECT_EQ(zf::EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(zf::EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_THROW(zf::EncodeDate(2023, 2, 29), std::invalid_argument);
    EXPECT_EQ(zf::ParseDateTime("2024-02-29 13:05:09"), value);
    EXPECT_FALSE(zf::ParseDateTime("2024-13-01"));
    EXPECT_FALSE(zf::ParseDateTime("24:00"));
    TfrmSample f;
    f.dtpDate.SetDateTime(value);
    int changes = 0;
    f.dtpDate.OnChange = [&](zf::Control&) { ++changes; };
    user.Choose(f.dtpDate, zf::EncodeDateTime({2024, 3, 1, 8, 0, 0, 0}));
    EXPECT_EQ(zf::FormatDateTime(f.dtpDate.DateTime()), "2024-03-01 13:05:09");
    EXPECT_EQ(changes, 1);
}

} // namespace
} // namespace formstest
