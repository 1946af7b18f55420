// The column picker and the progress hint as windows: their settings, what the person's ticks,
// keys and drags do, and what they leave in the column lists.
#include "ExportTestKit.h"
#include "export/OwnedWindow.h"
#include "export/untHint.h"
#include "export/untSelectCol.h"

#include <zeph/formdrive/User.h>

namespace export_test {
namespace {

namespace forms = zeph::forms;
using morvane::exporting::OwnedWindow;
using morvane::exporting::SelectColumns;
using morvane::exporting::TExportColumns;
using morvane::exporting::TfrmHint;
using morvane::exporting::TfrmSelectCol;

class ExportWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { forms::Application()->SetBackend(backend); }
    void TearDown() override {
        for (const std::string& failure : backend->Failures()) {
            ADD_FAILURE() << failure;
        }
        forms::Application()->SetBackend(nullptr);
    }
    std::shared_ptr<RecordingBackend> backend = std::make_shared<RecordingBackend>();
    forms::Form owner{nullptr, "owner"};
};

TEST_F(ExportWindowsTest, PickerCarriesItsSettingsAndListsTheColumnsInOrder) {
    TExportColumns columns{{"A", "B", "C"}, {"甲"_host, "乙"_host, "丙"_host}};
    TfrmSelectCol form(nullptr, columns, nullptr);
    EXPECT_EQ(form.Caption, "请选择列"_host);
    EXPECT_EQ(form.BorderStyle, forms::BorderStyle::Dialog);
    EXPECT_EQ(form.BorderIcons, forms::biSystemMenu);
    EXPECT_EQ(form.FormStyle, forms::FormStyle::StayOnTop);
    EXPECT_EQ(form.ClientWidth(), 191);
    EXPECT_EQ(form.ClientHeight(), 241);
    EXPECT_EQ(form.lvSelect.ViewStyle, forms::ViewStyle::Report);
    EXPECT_TRUE(form.lvSelect.Checkboxes && form.lvSelect.RowSelect && form.lvSelect.ReadOnly);
    ASSERT_EQ(form.lvSelect.Columns.size(), 1u);
    EXPECT_EQ(form.lvSelect.Columns[0].Width, 150);
    EXPECT_EQ(form.bbtnSave.Caption, "确认"_host);
    EXPECT_TRUE(form.bbtnSave.Default);
    EXPECT_EQ(form.bbtnCancel.Caption, "取消"_host);
    EXPECT_TRUE(form.bbtnCancel.Cancel);
    ASSERT_EQ(form.lvSelect.Items.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(form.lvSelect.Items[i].Caption, columns.titles[static_cast<std::size_t>(i)]);
        EXPECT_TRUE(form.lvSelect.Items[i].Checked());
    }
}

TEST_F(ExportWindowsTest, ConfirmRemovesUntickedColumnsAndNamesThem) {
    struct Case {
        const char* what;
        std::vector<int> untick;
        bool enterKey;
        std::vector<std::string> fields;
        std::vector<std::string> titles;
        std::vector<std::string> unticked;
    } cases[] = {
        {"all kept", {}, false, {"A", "B", "C"}, {"t1", "t2", "t3"}, {}},
        {"middle left out by Enter", {1}, true, {"A", "C"}, {"t1", "t3"}, {"B=t2"}},
        // Lines come from the last item to the first.
        {"two left out", {0, 2}, false, {"B"}, {"t2"}, {"C=t3", "A=t1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TExportColumns columns{{"A", "B", "C"}, {"t1", "t2", "t3"}};
        std::vector<std::string> unticked{"OLD=line"};
        backend->When<TfrmSelectCol>([&c](TfrmSelectCol& f, forms::User& user) {
            for (int i : c.untick) {
                user.Untick(f.lvSelect, i);
            }
            if (c.enterKey) {
                user.Enter(f);
            } else {
                user.Click(f.bbtnSave);
            }
        });
        EXPECT_TRUE(SelectColumns(owner, columns, unticked));
        EXPECT_EQ(columns.fields, c.fields);
        EXPECT_EQ(columns.titles, c.titles);
        EXPECT_EQ(unticked, c.unticked);
    }
}

TEST_F(ExportWindowsTest, NothingTickedKeepsTheWindowOpenAndEscapeCancels) {
    TExportColumns columns{{"A", "B"}, {"t1", "t2"}};
    backend->When<TfrmSelectCol>([](TfrmSelectCol& f, forms::User& user) {
        user.Untick(f.lvSelect, 0);
        user.Untick(f.lvSelect, 1);
        user.Click(f.bbtnSave);
        EXPECT_FALSE(f.ModalEnded());
        user.Escape(f);
    });
    EXPECT_FALSE(SelectColumns(owner, columns));
    EXPECT_EQ(backend->MessageTexts(), std::vector<std::string>{"请选择需要导出的列"_host});
    ASSERT_EQ(backend->Messages().size(), 1u);
    EXPECT_EQ(backend->Messages()[0].source, "InfoDlg");
    EXPECT_EQ(columns.fields, (std::vector<std::string>{"A", "B"})) << "cancel changes nothing";
    EXPECT_TRUE(owner.Components().empty()) << "the picker is freed when it closes";
}

TEST_F(ExportWindowsTest, EqualTitlesRemoveTheFirstAndConfiguredFieldsStartUnticked) {
    // Unticking the second of two equal titles removes the first column of that title.
    TExportColumns columns{{"A", "B", "C"}, {"same", "SAME", "t3"}};
    backend->When<TfrmSelectCol>([](TfrmSelectCol& f, forms::User& user) {
        user.Untick(f.lvSelect, 1);
        user.Click(f.bbtnSave);
    });
    std::vector<std::string> unticked;
    EXPECT_TRUE(SelectColumns(owner, columns, unticked));
    EXPECT_EQ(columns.fields, (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(unticked, std::vector<std::string>{"A=same"});

    // A line names its field ignoring case; a line for a field the dataset lacks does nothing
    // and is gone after the next confirmation.
    TExportColumns again{{"A", "B"}, {"t1", "t2"}};
    std::vector<std::string> lines{"b=whatever", "NOSUCH=x"};
    backend->When<TfrmSelectCol>([](TfrmSelectCol& f, forms::User& user) {
        EXPECT_TRUE(f.lvSelect.Items[0].Checked());
        EXPECT_FALSE(f.lvSelect.Items[1].Checked());
        user.Click(f.bbtnSave);
    });
    EXPECT_TRUE(SelectColumns(owner, again, lines));
    EXPECT_EQ(again.fields, std::vector<std::string>{"A"});
    EXPECT_EQ(lines, std::vector<std::string>{"B=t2"});
}

TEST_F(ExportWindowsTest, HintCarriesItsSettings) {
    TfrmHint hint(nullptr);
    EXPECT_EQ(hint.BorderStyle, forms::BorderStyle::None);
    EXPECT_EQ(hint.BorderIcons, 0u);
    EXPECT_EQ(hint.FormStyle, forms::FormStyle::StayOnTop);
    EXPECT_EQ(hint.Position, forms::Position::DesktopCenter);
    EXPECT_EQ(hint.ClientWidth(), 249);
    EXPECT_EQ(hint.ClientHeight(), 48);
    EXPECT_EQ(hint.Font.Name, "宋体"_host);
    EXPECT_EQ(hint.Font.Size, 9);
    EXPECT_EQ(hint.Font.Charset, 134);
    EXPECT_EQ(hint.Shape1.Pen.Color, forms::clBlue);
    EXPECT_EQ(hint.Shape1.Brush.Color, forms::clBtnFace);
    EXPECT_EQ(hint.laHint.Caption(), "正在导入，请稍侯..."_host);
    EXPECT_EQ(hint.laHint.Font.Style, forms::fsBold);
    EXPECT_EQ(hint.laHint.Font.Color, forms::clBlue);
    EXPECT_TRUE(hint.laHint.Transparent);
    EXPECT_EQ(hint.pbShow.Left, 15);
    EXPECT_EQ(hint.pbShow.Top, 23);
    EXPECT_EQ(hint.pbShow.Width, 217);
    EXPECT_EQ(hint.pbShow.Height, 18);
    EXPECT_EQ(hint.pbShow.Position(), 0);
}

TEST_F(ExportWindowsTest, HintCentresItsTextRevealsTheBarAndStopsAtTheMaximum) {
    OwnedWindow<TfrmHint> hint(owner);
    hint->ShowHint("准备导出到文件中"_host, false);
    EXPECT_EQ(hint->laHint.Width, hint->laHint.TextWidth("准备导出到文件中"_host));
    EXPECT_EQ(hint->laHint.Left, (249 - hint->laHint.Width) / 2);
    EXPECT_EQ(hint->laHint.Top, (48 - hint->laHint.Height) / 2);
    EXPECT_FALSE(hint->pbShow.Visible);
    EXPECT_TRUE(hint->Visible);

    hint->SetMaximum(2);
    EXPECT_EQ(hint->laHint.Top, 5);
    EXPECT_TRUE(hint->pbShow.Visible);
    EXPECT_EQ(hint->pbShow.Position(), 0);
    for (int i = 0; i < 5; ++i) {
        hint->StepIt();
    }
    EXPECT_EQ(hint->pbShow.Position(), 2) << "steps beyond the maximum leave the bar full";
    hint->SetHintText("正在导出文件"_host);
    EXPECT_EQ(hint->laHint.Caption(), "正在导出文件"_host);
}

TEST_F(ExportWindowsTest, HintMovesWithALeftDragOnly) {
    TfrmHint hint(nullptr);
    hint.Left = 100;
    hint.Top = 100;
    forms::User user;
    user.MouseDown(hint, forms::MouseButton::Right, 10, 10);
    user.MouseMove(hint, 30, 40);
    EXPECT_EQ(hint.Left, 100);
    user.MouseUp(hint, forms::MouseButton::Right, 30, 40);

    user.MouseDown(hint, forms::MouseButton::Left, 10, 10);
    user.MouseMove(hint, 30, 40);
    EXPECT_EQ(hint.Left, 120);
    EXPECT_EQ(hint.Top, 130);
    user.MouseUp(hint, forms::MouseButton::Left, 30, 40);
    user.MouseMove(hint, 50, 50);
    EXPECT_EQ(hint.Left, 120) << "releasing the button ends the drag";
}

} // namespace
} // namespace export_test
