// Patterns the plug-in's windows are built from, written on the toolkit: a pick list that an
// edit's button opens and that hides when left, a window that Escape closes through its key
// preview, a borderless window dragged with the mouse, fields generated at run time.
#include "FormsTestSupport.h"

namespace formstest {
namespace {

// An edit with a "..." button opening a check list over the window; leaving the list hides it
// and clicking it writes the ticked items into the edit.
class TfrmPick : public zf::Form {
public:
    TfrmPick() : zf::Form(nullptr, "frmPick") {
        lbList.Visible = false;
        lbList.MultiSelect = true;
        edGroup.OnButtonClick = [this](zf::Control&) {
            lbList.Items.Clear();
            lbList.Items.Add("1 - 一组"_host);
            lbList.Items.Add("2 - 二组"_host);
            lbList.Left = edGroup.Left + 3;
            lbList.Top = edGroup.Top + edGroup.Height + 3;
            lbList.Visible = true;
            lbList.BringToFront();
            lbList.SetFocus();
        };
        lbList.OnClick = [this](zf::Control&) {
            std::vector<std::string> ticked;
            for (int i = 0; i < lbList.Items.Count(); ++i) {
                if (lbList.Checked(i)) {
                    ticked.push_back(lbList.Items[i]);
                }
            }
            edGroup.SetText(zeph::text::Join(ticked, ","));
        };
        lbList.OnExit = [this](zf::Control&) { lbList.Visible = false; };
        Created();
    }
    zf::ButtonEdit edGroup{*this, "edGroup"};
    zf::Memo mmContent{*this, "mmContent"};
    zf::CheckListBox lbList{*this, "lbList"};
};

TEST_F(FormsTest, PickListOpensOnTopFillsEditAndHidesWhenLeft) {
    TfrmPick f;
    f.edGroup.SetBounds(10, 20, 100, 21);
    user.ClickButton(f.edGroup);
    EXPECT_TRUE(f.lbList.Visible);
    EXPECT_TRUE(f.lbList.Focused());
    EXPECT_EQ(f.Controls().back(), &f.lbList);
    EXPECT_EQ(f.lbList.Top, 44);
    user.Tick(f.lbList, 0);
    user.Tick(f.lbList, 1);
    EXPECT_EQ(f.edGroup.Text(), "1 - 一组,2 - 二组"_host);
    user.Click(f.mmContent);
    EXPECT_FALSE(f.lbList.Visible);
    EXPECT_FALSE(user.Tick(f.lbList, 0)); // hidden: out of the person's reach
}

class TfrmSelect : public zf::Form {
public:
    TfrmSelect() : zf::Form(nullptr, "frmSelect") {
        KeyPreview = true;
        OnKeyPress = [this](zf::Control&, char& key) {
            if (key == 27) {
                Close();
            }
        };
        lvRecordFile.ViewStyle = zf::ViewStyle::Report;
        lvRecordFile.RowSelect = true;
        lvRecordFile.AddColumn("录音文件"_host, 300);
        lvRecordFile.AddColumn("转存工号"_host, 70, zf::Alignment::Center);
        for (const char* file : {"a.v3", "b.v3"}) {
            lvRecordFile.Items.Add().Caption = file;
        }
        lvRecordFile.OnDblClick = [this](zf::Control&) {
            if (zf::ListItem* item = lvRecordFile.Selected()) {
                played.push_back(item->Caption);
            }
        };
        OnClose = [](zf::Form&, zf::CloseAction& action) { action = zf::CloseAction::Free; };
        Created();
    }
    zf::ListView lvRecordFile{*this, "lvRecordFile"};
    std::vector<std::string> played;
};

TEST_F(FormsTest, ModelessWindowPlaysOnDoubleClickAndEscapeThroughKeyPreviewFreesIt) {
    auto* f = new TfrmSelect();
    bool freed = false;
    f->OnDestroy = [&](zf::Form&) { freed = true; };
    f->Show();
    user.DoubleClick(f->lvRecordFile, 1);
    user.DoubleClick(f->lvRecordFile, 0);
    EXPECT_EQ(f->played, (std::vector<std::string>{"b.v3", "a.v3"}));
    EXPECT_FALSE(freed);
    user.PressKey(f->lvRecordFile, zf::keys::Escape);
    EXPECT_TRUE(freed);
}

class TfrmHint : public zf::Form {
public:
    TfrmHint() : zf::Form(nullptr, "frmHint") {
        BorderStyle = zf::BorderStyle::None;
        BorderIcons = 0;
        SetClientWidth(249);
        SetClientHeight(48);
        Shape1.SetBounds(0, 0, 249, 48);
        Shape1.OnMouseDown = [this](zf::Control&, zf::MouseButton b, zf::ShiftState, int x, int y) {
            if (b == zf::MouseButton::Left) {
                dragging = true;
                startX = x;
                startY = y;
            }
        };
        Shape1.OnMouseMove = [this](zf::Control&, zf::ShiftState, int x, int y) {
            if (dragging) {
                Left += x - startX;
                Top += y - startY;
            }
        };
        Shape1.OnMouseUp = [this](zf::Control&, zf::MouseButton, zf::ShiftState, int, int) {
            dragging = false;
        };
        Created();
    }
    zf::Shape Shape1{*this, "Shape1"};
    zf::Label laHint{*this, "laHint"};
    zf::ProgressBar pbShow{*this, "pbShow"};
    bool dragging = false;
    int startX = 0;
    int startY = 0;
};

TEST_F(FormsTest, BorderlessWindowIsDraggedByTheMouseAndHasNoCloseBox) {
    TfrmHint f;
    f.Left = 100;
    f.Top = 100;
    user.MouseDown(f.Shape1, zf::MouseButton::Right, 5, 5);
    user.MouseMove(f.Shape1, 50, 50);
    EXPECT_EQ(f.Left, 100);
    user.MouseDown(f.Shape1, zf::MouseButton::Left, 10, 10);
    user.MouseMove(f.Shape1, 30, 5);
    user.MouseUp(f.Shape1, zf::MouseButton::Left, 30, 5);
    user.MouseMove(f.Shape1, 90, 90);
    EXPECT_EQ(f.Left, 120);
    EXPECT_EQ(f.Top, 95);
    EXPECT_THROW(user.CloseBox(f), zf::EUserAction);
    f.laHint.Font.Size = 9;
    f.laHint.SetCaption("准备导出到文件中"_host);
    EXPECT_EQ((f.ClientWidth() - f.laHint.Width) / 2, (249 - 96) / 2);
}

TEST_F(FormsTest, FieldsGeneratedAtRunTimeAreFoundByScriptsAndRemoved) {
    zf::Form f(nullptr, "frmTest");
    zf::ScrollBox sbxInput(f, "sbxInput");
    for (int i = 0; i <= 3; ++i) {
        auto* field = f.Adopt(std::make_unique<zf::LabeledEdit>(&f, "Input" + std::to_string(i)));
        field->SetParent(&sbxInput);
        field->EditLabel.SetCaption("Input[" + std::to_string(i) + "]: ");
    }
    zf::Script script = zf::ParseScript("[frmTest]\ntype Input0 CHECK_PERSON\ntype Input2 x\n");
    zf::RunWindowScript(script.windows[0], f, user);
    EXPECT_EQ(static_cast<zf::Edit*>(zf::FindControl(f, "input0"))->Text(), "CHECK_PERSON");
    // Fields in the order of the area, as the call reads them.
    std::vector<std::string> texts;
    for (zf::Control* c : sbxInput.Controls()) {
        if (auto* edit = dynamic_cast<zf::LabeledEdit*>(c)) {
            texts.push_back(edit->Text());
        }
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"CHECK_PERSON", "", "x", ""}));
    sbxInput.FreeControls();
    EXPECT_EQ(sbxInput.ControlCount(), 0);
    EXPECT_TRUE(f.Components().size() == 1u); // only the scroll box is left
}

TEST_F(FormsTest, StringListTextAndMemoLines) {
    zf::Strings list;
    list.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(list.IndexOf("B"), 1);
    EXPECT_THROW(list[4], std::out_of_range);
    zf::Form f(nullptr, "f");
    zf::Memo memo(f, "memo");
    memo.AddLine("one");
    memo.AddLine("二"_host);
    EXPECT_EQ(memo.Text(), "one\r\n二"_host);
    EXPECT_EQ(memo.LineCount(), 2);
    memo.SetLines({});
    EXPECT_EQ(memo.Text(), "");
}

} // namespace
} // namespace formstest
