// Windows driven through real Qt input events (QTest key presses and mouse clicks), not through
// the toolkit's user actions: the key filters, handlers, close checks and answers of the windows
// run as a person meets them.
#include "SampleWindows.h"
#include "WidgetChecks.h"
#include "export/untHint.h"

#include <zeph/forms/Application.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/Label.h>
#include <zeph/qtforms/QtBackend.h>

#include <gtest/gtest.h>
#include <support/TempDir.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <functional>
#include <iostream>
#include <memory>

namespace zeph::qtforms::testing {
namespace {

class QtEvents : public ::testing::Test {
protected:
    void SetUp() override {
        backend_ = std::make_shared<QtBackend>();
        forms::Application()->SetBackend(backend_);
    }
    void TearDown() override { forms::Application()->SetBackend(nullptr); }

    QWidget* W(const forms::Control& c) const { return backend_->WidgetOf(c); }
    QLineEdit* EditOf(const forms::Control& c) const {
        auto* edit = qobject_cast<QLineEdit*>(W(c));
        return edit != nullptr ? edit : W(c)->findChild<QLineEdit*>();
    }

    // Runs step once the modal loop is under way; ends a loop still running after 10 s so that
    // a fault fails the test instead of hanging it.
    static void WhileModal(forms::Form& form, std::function<void()> step) {
        QTimer::singleShot(0, std::move(step));
        QTimer::singleShot(10000, [&form] { form.ForceEndModal(forms::ModalResult::Abort); });
    }

    // Calls answer with the modal dialog of type T once one is up; a dialog still up after
    // 10 s is rejected so that a fault fails the test instead of hanging it.
    template <typename T>
    static void WhenModal(std::function<void(T&)> answer) {
        auto* poll = new QTimer;
        poll->setInterval(20);
        auto started = std::chrono::steady_clock::now();
        QObject::connect(poll, &QTimer::timeout, [poll, answer, started] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (dialog != nullptr) {
                poll->stop();
                poll->deleteLater();
                answer(*dialog);
            } else if (std::chrono::steady_clock::now() - started > std::chrono::seconds(10)) {
                poll->stop();
                poll->deleteLater();
                if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    other->reject();
                }
            }
        });
        poll->start();
    }

    std::shared_ptr<QtBackend> backend_;
};

TEST_F(QtEvents, TypingIntoAFilteredFieldDropsRefusedCharactersAndLimitsCountBytes) {
    TfrmToolkitSample form(nullptr);
    form.Show();
    QLineEdit* number = EditOf(form.edtNumber);
    QTest::keyClicks(number, "1a2b3");
    EXPECT_EQ(form.edtNumber.Text(), "123");
    EXPECT_EQ(number->text(), "123");
    EXPECT_EQ(form.events, (std::vector<std::string>{"refused a", "refused b"}));
    QTest::keyClicks(number, "4567");
    EXPECT_EQ(form.edtNumber.Text(), "123456"); // MaxLength 6
    QTest::keyClick(number, Qt::Key_Backspace);
    EXPECT_EQ(number->text(), "12345");
    // Tab walks the controls in their tab order and the window's focus follows.
    ASSERT_TRUE(QTest::qWaitForWindowActive(W(form)));
    EXPECT_EQ(form.ActiveControl(), &form.edtNumber);
    QTest::keyClick(number, Qt::Key_Tab);
    EXPECT_EQ(form.ActiveControl(), &form.ledCity);
    EXPECT_TRUE(EditOf(form.ledCity)->hasFocus());

    // Chinese arrives from the input method; a limit of 5 bytes holds two characters.
    form.edtName.MaxLength = 5;
    QLineEdit* name = EditOf(form.edtName);
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(name, Qt::Key_Delete);
    EXPECT_EQ(form.edtName.Text(), "");
    QInputMethodEvent input;
    input.setCommitString(QString::fromUtf8("中文字"));
    QApplication::sendEvent(name, &input);
    EXPECT_EQ(form.edtName.Text(), "中文"_host);
    EXPECT_EQ(name->text(), QString::fromUtf8("中文"));
    EXPECT_TRUE(Mismatches(*backend_, form).empty());
}

TEST_F(QtEvents, AClickRunsTheHandlerAndEverythingTheHandlerChangedShows) {
    TfrmToolkitSample form(nullptr);
    form.Show();
    int left = form.Left;
    QTest::mouseClick(W(form.btnDisabled), Qt::LeftButton);
    EXPECT_EQ(form.applyClicks, 0);
    QTest::mouseClick(W(form.btnApply), Qt::LeftButton);
    EXPECT_EQ(form.applyClicks, 1);
    EXPECT_EQ(qobject_cast<QLabel*>(W(form.lblName))->text(), QString::fromUtf8("已应用"));
    EXPECT_FALSE(W(form.btnDisabled)->testAttribute(Qt::WA_ForceDisabled));
    EXPECT_EQ(qobject_cast<QPushButton*>(W(form.btnApply))->text(), QString::fromUtf8("再次应用"));
    auto* list = qobject_cast<QListWidget*>(W(form.lstItems));
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(3)->text(), QString::fromUtf8("新项"));
    EXPECT_EQ(W(form.pcPages)->findChild<QStackedWidget*>()->currentWidget(), W(form.tsSecond));
    EXPECT_EQ(EditOf(form.edtName)->text(), QString::fromUtf8("李四"));
    EXPECT_EQ(W(form)->x(), left + 10);
    // The now enabled button takes clicks; a check box toggles and fires its click.
    QTest::mouseClick(W(form.chkAll), Qt::LeftButton);
    EXPECT_FALSE(form.chkAll.Checked());
    EXPECT_EQ(form.events.back(), "chkAll clicked");
    // An item clicked in a list and a key in a fixed drop-down choose through the toolkit.
    QRect row = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(form.lstItems.ItemIndex(), 2);
    QTest::keyClick(W(form.cbbKind), Qt::Key_Down);
    EXPECT_EQ(form.cbbKind.ItemIndex(), 2);
    EXPECT_TRUE(Mismatches(*backend_, form).empty())
        << ::testing::PrintToString(Mismatches(*backend_, form));
}

TEST_F(QtEvents, ALeftDragMovesTheHintByTheDistanceDraggedAndARightDragDoesNot) {
    morvane::exporting::TfrmHint hint(nullptr);
    hint.ShowHint("正在导出文件"_host, false);
    QWidget* window = W(hint);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    struct Drag {
        forms::Control* on;
        Qt::MouseButton button;
        QPoint distance;
        QPoint moved;
    };
    for (auto [on, button, distance, moved] :
         {Drag{&hint.Shape1, Qt::LeftButton, {30, 20}, {30, 20}},
          Drag{&hint.laHint, Qt::LeftButton, {-24, 12}, {-24, 12}},
          Drag{&hint.Shape1, Qt::RightButton, {30, 20}, {0, 0}}}) {
        SCOPED_TRACE(on->Name() + (button == Qt::LeftButton ? " left" : " right"));
        QWidget* part = W(*on);
        const QPoint windowAt = window->pos();
        const QPoint formAt(hint.Left, hint.Top);
        const QPoint grip = part->rect().center();
        QTest::mousePress(part, button, {}, grip);
        // The pointer stays where the hand puts it while the window moves under it, so each
        // step is given where it is then in the moved window.
        auto local = [&](QPoint step) {
            return grip + step - (QPoint(hint.Left, hint.Top) - formAt);
        };
        QTest::mouseMove(part, local(distance / 2));
        QTest::mouseMove(part, local(distance));
        QTest::mouseRelease(part, button, {}, local(distance));
        QApplication::processEvents();
        EXPECT_EQ(QPoint(hint.Left, hint.Top) - formAt, moved);
        EXPECT_EQ(window->pos() - windowAt, moved);
    }
}

TEST_F(QtEvents, TheRightButtonReleasedDuringALeftDragOfTheHintEndsTheDrag) {
    morvane::exporting::TfrmHint hint(nullptr);
    hint.ShowHint("正在导出文件"_host, false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(W(hint)));
    QWidget* part = W(hint.Shape1);
    const QPoint formAt(hint.Left, hint.Top);
    const QPoint grip = part->rect().center();
    auto local = [&](QPoint step) { return grip + step - (QPoint(hint.Left, hint.Top) - formAt); };
    QTest::mousePress(part, Qt::LeftButton, {}, grip);
    QTest::mouseMove(part, local({10, 0}));
    QTest::mouseMove(part, local({20, 0}));
    ASSERT_EQ(QPoint(hint.Left, hint.Top) - formAt, QPoint(20, 0));
    // The right button goes down and up while the left is held: releasing any button ends
    // the drag, so the window stays put from then on.
    QTest::mousePress(part, Qt::RightButton, {}, local({20, 0}));
    QTest::mouseRelease(part, Qt::RightButton, {}, local({20, 0}));
    QTest::mouseMove(part, local({50, 10}));
    QTest::mouseRelease(part, Qt::LeftButton, {}, local({50, 10}));
    QApplication::processEvents();
    EXPECT_EQ(QPoint(hint.Left, hint.Top) - formAt, QPoint(20, 0));
}

TEST_F(QtEvents, AClickGivesOneMouseDownTheClickAndOneMouseUpOnButtonsAndLabels) {
    forms::Form form(nullptr, "frmClicks");
    form.SetClientWidth(240);
    form.SetClientHeight(100);
    forms::Button button(form, "btnGo");
    button.SetBounds(10, 10, 100, 30);
    button.Caption = "执行"_host;
    forms::Label label(form, "lblGo");
    label.SetBounds(10, 60, 100, 20);
    label.AutoSize = false;
    label.SetCaption("点这里"_host);
    std::vector<std::string> events;
    for (forms::Control* control :
         {static_cast<forms::Control*>(&button), static_cast<forms::Control*>(&label)}) {
        control->OnMouseDown = [&](forms::Control& c, forms::MouseButton, forms::ShiftState, int,
                                   int) { events.push_back(c.Name() + " down"); };
        control->OnClick = [&](forms::Control& c) { events.push_back(c.Name() + " click"); };
        control->OnMouseUp = [&](forms::Control& c, forms::MouseButton, forms::ShiftState, int,
                                 int) { events.push_back(c.Name() + " up"); };
    }
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(W(form)));
    for (forms::Control* control :
         {static_cast<forms::Control*>(&button), static_cast<forms::Control*>(&label)}) {
        events.clear();
        QTest::mouseClick(W(*control), Qt::LeftButton);
        EXPECT_EQ(events,
                  (std::vector<std::string>{control->Name() + " down", control->Name() + " click",
                                            control->Name() + " up"}));
    }
    // A hand that shakes a little while clicking still clicks, once; a right click is no click.
    events.clear();
    QWidget* widget = W(label);
    QPoint at = widget->rect().center();
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseMove(widget, at + QPoint(2, 1));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at + QPoint(2, 1));
    QTest::mouseClick(widget, Qt::RightButton, {}, at);
    EXPECT_EQ(events, (std::vector<std::string>{"lblGo down", "lblGo click", "lblGo up",
                                                "lblGo down", "lblGo up"}));

    // Each event carries its button; a left drag released inside the control it began on
    // clicks, one released outside does not.
    for (forms::Control* control :
         {static_cast<forms::Control*>(&button), static_cast<forms::Control*>(&label)}) {
        control->OnMouseDown = [&](forms::Control& c, forms::MouseButton b, forms::ShiftState,
                                   int x, int y) {
            events.push_back(c.Name() + " down " + std::to_string(static_cast<int>(b)) + " " +
                             std::to_string(x) + "," + std::to_string(y));
        };
        control->OnMouseUp = [&](forms::Control& c, forms::MouseButton b, forms::ShiftState, int x,
                                 int y) {
            events.push_back(c.Name() + " up " + std::to_string(static_cast<int>(b)) + " " +
                             std::to_string(x) + "," + std::to_string(y));
        };
    }
    const std::string left = std::to_string(static_cast<int>(forms::MouseButton::Left));
    const std::string right = std::to_string(static_cast<int>(forms::MouseButton::Right));
    events.clear();
    QTest::mouseClick(widget, Qt::RightButton, {}, QPoint(5, 6));
    EXPECT_EQ(events, (std::vector<std::string>{"lblGo down " + right + " 5,6",
                                                "lblGo up " + right + " 5,6"}));
    events.clear();
    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(4, 5));
    QTest::mouseMove(widget, QPoint(40, 6));
    QTest::mouseMove(widget, QPoint(80, 10));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(80, 10));
    EXPECT_EQ(events, (std::vector<std::string>{"lblGo down " + left + " 4,5", "lblGo click",
                                                "lblGo up " + left + " 80,10"}));
    events.clear();
    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(4, 5));
    QTest::mouseMove(widget, QPoint(60, 40));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(60, 40));
    EXPECT_EQ(events, (std::vector<std::string>{"lblGo down " + left + " 4,5",
                                                "lblGo up " + left + " 60,40"}));
    // The button's own widget clicks after a drag inside it as well.
    events.clear();
    QWidget* pushed = W(button);
    QTest::mousePress(pushed, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(pushed, QPoint(60, 20));
    QTest::mouseRelease(pushed, Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_EQ(std::count(events.begin(), events.end(), "btnGo click"), 1)
        << ::testing::PrintToString(events);
    label.OnMouseDown = nullptr;
    label.OnMouseUp = nullptr;

    // With no button down, moves reach a control that wants them.
    events.clear();
    label.OnMouseMove = [&](forms::Control& c, forms::ShiftState shift, int x, int y) {
        events.push_back(c.Name() + " move " + std::to_string(x) + "," + std::to_string(y) + " " +
                         std::to_string(shift));
    };
    backend_->Refresh();
    QTest::mouseMove(widget, QPoint(7, 5));
    EXPECT_EQ(events, std::vector<std::string>{"lblGo move 7,5 0"});

    // Text dragged over in an edit stays selected: the drag is the edit's selection.
    forms::Edit edit(form, "edtGo");
    edit.SetBounds(120, 10, 110, 24);
    edit.SetText("abcdefgh");
    backend_->Refresh();
    auto* line = EditOf(edit);
    QPoint from(1, line->height() / 2);
    QTest::mousePress(line, Qt::LeftButton, {}, from);
    QTest::mouseMove(line, QPoint(line->width() - 4, from.y()));
    QTest::mouseRelease(line, Qt::LeftButton, {}, QPoint(line->width() - 4, from.y()));
    EXPECT_EQ(line->selectedText(), "abcdefgh");
    EXPECT_EQ(edit.SelStart(), 0);
    EXPECT_EQ(edit.SelLength(), 8);
}

TEST_F(QtEvents, ASplitterDraggedWithTheLeftButtonResizesTheControlsBesideIt) {
    for (bool aligned : {false, true}) {
        SCOPED_TRACE(aligned ? "aligned" : "placed");
        forms::Form form(nullptr, "frmSplit");
        form.SetClientWidth(300);
        form.SetClientHeight(100);
        forms::Panel left(form, "pnlLeft");
        left.SetBounds(0, 0, 100, 100);
        forms::Splitter splitter(form, "splMiddle");
        splitter.SetBounds(100, 0, 4, 100);
        forms::Panel right(form, "pnlRight");
        right.SetBounds(104, 0, 196, 100);
        if (aligned) {
            left.Align = forms::Align::Left;
            splitter.Align = forms::Align::Left;
            right.Align = forms::Align::Client;
        }
        form.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(W(form)));
        QWidget* bar = W(splitter);
        // Dragged right by 40 in two steps, the bar moving under the pointer; then far left,
        // where the left panel keeps the splitter's MinSize.
        QPoint grip(2, 50);
        QTest::mousePress(bar, Qt::LeftButton, {}, grip);
        QTest::mouseMove(bar, grip + QPoint(25, 3));
        QTest::mouseMove(bar, grip + QPoint(40, 3) - QPoint(splitter.Left - 100, 0));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, grip);
        EXPECT_EQ(left.Width, 140);
        EXPECT_EQ(splitter.Left, 140);
        EXPECT_EQ(right.Left, 144);
        EXPECT_EQ(right.Width, 156);
        EXPECT_EQ(bar->geometry(), QRect(140, 0, 4, 100));
        EXPECT_EQ(W(right)->geometry(), QRect(144, 0, 156, 100));
        QTest::mousePress(bar, Qt::LeftButton, {}, grip);
        QTest::mouseMove(bar, grip - QPoint(200, 0));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, grip - QPoint(200, 0));
        EXPECT_EQ(left.Width, splitter.MinSize);
        EXPECT_EQ(W(left)->width(), splitter.MinSize);
        EXPECT_EQ(right.Left, splitter.MinSize + 4);
        // The right button does not drag it.
        QTest::mousePress(bar, Qt::RightButton, {}, grip);
        QTest::mouseMove(bar, grip + QPoint(50, 0));
        QTest::mouseRelease(bar, Qt::RightButton, {}, grip + QPoint(50, 0));
        EXPECT_EQ(left.Width, splitter.MinSize);
        EXPECT_TRUE(Mismatches(*backend_, form).empty())
            << ::testing::PrintToString(Mismatches(*backend_, form));
    }
}

TEST_F(QtEvents, ATreeShownWithoutASelectionGetsNoCurrentNodeFromTheKeyboardFocus) {
    forms::Form form(nullptr, "frmTree");
    form.SetClientWidth(200);
    form.SetClientHeight(150);
    forms::TreeView tree(form, "tvTree");
    tree.SetBounds(8, 8, 180, 130);
    forms::TreeNode& root = tree.Items.Add("总部"_host);
    tree.Items.AddChild(&root, "财务部"_host);
    root.Expand();
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W(form)));
    auto* widget = qobject_cast<QTreeWidget*>(W(tree));
    widget->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(widget->hasFocus());
    EXPECT_EQ(widget->currentItem(), nullptr);
    EXPECT_TRUE(Mismatches(*backend_, form).empty())
        << ::testing::PrintToString(Mismatches(*backend_, form));
    // So Down goes to the first node, not the one below a current node the tree never had.
    QTest::keyClick(widget, Qt::Key_Down);
    EXPECT_EQ(tree.Selected(), &root);
    EXPECT_EQ(widget->currentItem(), widget->topLevelItem(0));
}

TEST_F(QtEvents, TabsTicksAndTreesAnswerTheMouseAndKeysThroughTheirEvents) {
    TfrmToolkitSample form(nullptr);
    int checkedEvents = 0;
    form.lvRecords.OnItemChecked = [&](forms::ListView&, forms::ListItem&) { ++checkedEvents; };
    bool allowPage = false;
    form.pcPages.OnChanging = [&](forms::PageControl&, bool& allow) { allow = allowPage; };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W(form)));

    // A tab click that OnChanging refuses leaves the page; an allowed one turns it.
    auto* tabs = W(form.pcPages)->findChild<QTabBar*>();
    auto* stack = W(form.pcPages)->findChild<QStackedWidget*>();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    EXPECT_EQ(form.pcPages.ActivePage(), &form.tsFirst);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(stack->currentWidget(), W(form.tsFirst));
    allowPage = true;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    EXPECT_EQ(form.pcPages.ActivePage(), &form.tsSecond);
    EXPECT_EQ(stack->currentWidget(), W(form.tsSecond));

    // A row clicked in the list view, then Space ticks it.
    auto* view = W(form.lvRecords)->findChild<QTreeWidget*>();
    QRect row = view->visualItemRect(view->topLevelItem(1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      QPoint(row.left() + 100, row.center().y()));
    EXPECT_EQ(form.lvRecords.ItemIndex(), 1);
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_TRUE(form.lvRecords.Items[1].Checked());
    EXPECT_EQ(view->topLevelItem(1)->checkState(0), Qt::Checked);
    EXPECT_EQ(checkedEvents, 1);

    // A double click (the second click of a pair) on a tree node folds it in.
    auto* tree = qobject_cast<QTreeWidget*>(W(form.tvDepartments));
    QRect root = tree->visualItemRect(tree->topLevelItem(0));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, root.center());
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, root.center());
    EXPECT_FALSE(form.tvDepartments.Items.Root(0).Expanded());
    EXPECT_FALSE(tree->topLevelItem(0)->isExpanded());
    EXPECT_TRUE(Mismatches(*backend_, form).empty())
        << ::testing::PrintToString(Mismatches(*backend_, form));
}

TEST_F(QtEvents, EscapeCancelsAModalWindowAndTheCloseBoxAsksItsCloseCheck) {
    TfrmSampleDialog dialog(nullptr);
    WhileModal(dialog, [&] {
        QTest::keyClicks(EditOf(dialog.edtFilter), "ab");
        QTest::keyClick(EditOf(dialog.edtFilter), Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.ShowModal(), forms::ModalResult::Cancel);
    EXPECT_EQ(dialog.edtFilter.Text(), "ab");
    EXPECT_EQ(dialog.closeQueries, 1);
    EXPECT_FALSE(W(dialog)->isVisible());

    // The close box asks OnCloseQuery, which keeps the window; Enter then clicks the default
    // button.
    dialog.refuseClose = true;
    bool stillShown = false;
    WhileModal(dialog, [&] {
        W(dialog)->close();
        QApplication::processEvents();
        stillShown = W(dialog)->isVisible();
        dialog.refuseClose = false;
        QTest::keyClick(EditOf(dialog.edtFilter), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.ShowModal(), forms::ModalResult::Ok);
    EXPECT_TRUE(stillShown);
    EXPECT_EQ(dialog.closeQueries, 3);
}

TEST_F(QtEvents, AMessageBoxAnsweredByARealClickReturnsThatAnswerToTheWord) {
    for (auto [button, expected] : {std::pair{QMessageBox::No, forms::ModalResult::No},
                                    std::pair{QMessageBox::Yes, forms::ModalResult::Yes}}) {
        TfrmSampleDialog dialog(nullptr);
        QString title;
        QString text;
        WhileModal(dialog, [&, button = button] {
            WhenModal<QMessageBox>([&](QMessageBox& box) {
                title = box.windowTitle();
                text = box.text();
                QTest::mouseClick(box.button(button), Qt::LeftButton);
            });
            QTest::mouseClick(W(dialog.bbtnAsk), Qt::LeftButton);
            QTest::keyClick(W(dialog.bbtnAsk), Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.ShowModal(), forms::ModalResult::Cancel);
        EXPECT_EQ(dialog.answer, expected);
        EXPECT_EQ(title, QString::fromUtf8("提示"));
        EXPECT_EQ(text, QString::fromUtf8("保存所选的列吗？"));
    }
}

TEST_F(QtEvents, AFileDialogOffersTheFiltersAndTheHourglassShowsForItsScope) {
    zeph::testing::TempDir dir;
    forms::SaveDialog save(nullptr, "sdExport");
    save.Filter = "Excel 文件|*.xls|所有文件|*.*"_host;
    save.DefaultExt = "xls";
    save.InitialDir = dir.Path();
    QStringList filters;
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromUtf8("报表"));
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
    });
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(filters, (QStringList{QString::fromUtf8("Excel 文件 (*.xls)"),
                                    QString::fromUtf8("所有文件 (*.*)")}));
    EXPECT_EQ(save.FileName, dir.Path() + "/" + "报表.xls"_host);

    {
        forms::HourGlass busy;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace zeph::qtforms::testing
