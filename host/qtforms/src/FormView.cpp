#include "FormView.h"

#include "Appearance.h"
#include "SplitterDrag.h"

#include <zeph/forms/Button.h>
#include <zeph/forms/ComboBox.h>
#include <zeph/forms/DateTimePicker.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/ListBox.h>
#include <zeph/forms/ListView.h>
#include <zeph/forms/PageControl.h>
#include <zeph/forms/TreeView.h>
#include <zeph/qtforms/QtText.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextCursor>
#include <QTreeWidget>
#include <algorithm>
#include <optional>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

std::uint16_t VirtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return static_cast<std::uint16_t>('A' + (key - Qt::Key_A));
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return static_cast<std::uint16_t>('0' + (key - Qt::Key_0));
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        return static_cast<std::uint16_t>(forms::keys::F1 + (key - Qt::Key_F1));
    }
    switch (key) {
    case Qt::Key_Backspace:
        return forms::keys::Back;
    case Qt::Key_Tab:
        return forms::keys::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return forms::keys::Return;
    case Qt::Key_Escape:
        return forms::keys::Escape;
    case Qt::Key_Space:
        return forms::keys::Space;
    case Qt::Key_PageUp:
        return forms::keys::PageUp;
    case Qt::Key_PageDown:
        return forms::keys::PageDown;
    case Qt::Key_End:
        return forms::keys::End;
    case Qt::Key_Home:
        return forms::keys::Home;
    case Qt::Key_Left:
        return forms::keys::Left;
    case Qt::Key_Up:
        return forms::keys::Up;
    case Qt::Key_Right:
        return forms::keys::Right;
    case Qt::Key_Down:
        return forms::keys::Down;
    case Qt::Key_Insert:
        return forms::keys::Insert;
    case Qt::Key_Delete:
        return forms::keys::Delete;
    default:
        return 0;
    }
}

forms::ShiftState ShiftOf(Qt::KeyboardModifiers modifiers) {
    forms::ShiftState shift = 0;
    if ((modifiers & Qt::ShiftModifier) != 0) {
        shift |= forms::ssShift;
    }
    if ((modifiers & Qt::ControlModifier) != 0) {
        shift |= forms::ssCtrl;
    }
    if ((modifiers & Qt::AltModifier) != 0) {
        shift |= forms::ssAlt;
    }
    return shift;
}

bool IsText(const forms::Control* c) {
    return dynamic_cast<const forms::CustomEdit*>(c) != nullptr ||
           dynamic_cast<const forms::ComboBox*>(c) != nullptr;
}

bool IsList(const forms::Control* c) {
    return dynamic_cast<const forms::ListBox*>(c) != nullptr ||
           dynamic_cast<const forms::ListView*>(c) != nullptr ||
           dynamic_cast<const forms::TreeView*>(c) != nullptr;
}

// Controls whose own widget takes clicks through its signals.
bool ClicksBySignal(const forms::Control* c) {
    return IsList(c) || dynamic_cast<const forms::ComboBox*>(c) != nullptr ||
           dynamic_cast<const forms::Button*>(c) != nullptr ||
           dynamic_cast<const forms::RadioButton*>(c) != nullptr ||
           dynamic_cast<const forms::CheckBox*>(c) != nullptr ||
           dynamic_cast<const forms::PageControl*>(c) != nullptr ||
           dynamic_cast<const forms::DateTimePicker*>(c) != nullptr;
}

// The piece of a widget that holds the keyboard focus.
QWidget* FocusPart(QWidget* widget) {
    if (auto* edit = widget->findChild<QLineEdit*>("edit", Qt::FindDirectChildrenOnly)) {
        return edit;
    }
    return widget;
}

} // namespace

void FormWindow::closeEvent(QCloseEvent* event) {
    // The window decides: its close checks run, and the view hides it when it closes.
    event->ignore();
    if (onCloseBox_) {
        onCloseBox_();
    }
}

FormView::FormView(Dispatcher& dispatcher, forms::Form& form)
    : dispatcher_(dispatcher), form_(&form) {
    window_ = new FormWindow([this] {
        if (form_ != nullptr) {
            Act(form_, [this](forms::User& user) { user.CloseBox(*form_); });
        }
    });
    window_->setAttribute(Qt::WA_DeleteOnClose, false);
    window_->setProperty("zephClass", QString::fromStdString(form.ClassName()));
    Watch(window_, form_);
}

FormView::~FormView() {
    Detach();
}

void FormView::Detach(bool now) {
    form_ = nullptr;
    press_.reset();
    parts_.clear();
    widgets_.clear();
    if (window_) {
        for (QObject* child : window_->findChildren<QObject*>()) {
            child->blockSignals(true);
            child->removeEventFilter(this);
        }
        window_->removeEventFilter(this);
        window_->hide();
        if (now) {
            delete window_.data();
        } else {
            window_->deleteLater();
        }
        window_ = nullptr;
    }
}

void FormView::Act(forms::Control* control, std::function<void(forms::User&)> action) {
    if (form_ != nullptr) {
        dispatcher_.Act(form_, control, std::move(action));
    }
}

void FormView::Watch(QObject* part, forms::Control* control) {
    if (parts_.emplace(part, control).second) {
        part->installEventFilter(this);
    }
}

QWidget* FormView::WidgetFor(const forms::Control* control) const {
    if (control == form_) {
        return window_;
    }
    auto it = widgets_.find(control);
    return it == widgets_.end() ? nullptr : it->second;
}

void FormView::Sync() {
    if (form_ == nullptr || !window_) {
        return;
    }
    std::set<const forms::Control*> seen;
    SyncChildren(*form_, window_, seen);
    // Controls gone from the window take their widgets with them.
    for (auto it = widgets_.begin(); it != widgets_.end();) {
        if (seen.count(it->first) != 0) {
            ++it;
            continue;
        }
        QWidget* widget = it->second;
        if (press_ && press_->control == it->first) {
            press_.reset();
        }
        for (auto p = parts_.begin(); p != parts_.end();) {
            p = p->second == it->first ? parts_.erase(p) : std::next(p);
        }
        kinds_.erase(it->first);
        orders_.erase(it->first);
        tabChains_.erase(it->first);
        it = widgets_.erase(it);
        for (QObject* child : widget->findChildren<QObject*>()) {
            child->blockSignals(true);
        }
        widget->blockSignals(true);
        widget->hide();
        widget->deleteLater();
    }
    SyncWindow();
    SyncFocus();
}

namespace {

// Aligned controls fill their container's edges in their order, then the client control takes
// what is left; their bounds say where they went, as the framework's aligned controls do.
void AlignControls(forms::WinControl& container, QSize area) {
    QRect free(0, 0, area.width(), area.height());
    using forms::Align;
    for (Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client}) {
        for (forms::Control* c : container.Controls()) {
            if (c->Align != pass || !c->Visible) {
                continue;
            }
            QRect r;
            switch (pass) {
            case Align::Top:
                r = QRect(free.left(), free.top(), free.width(), c->Height);
                free.setTop(free.top() + c->Height);
                break;
            case Align::Bottom:
                r = QRect(free.left(), free.bottom() + 1 - c->Height, free.width(), c->Height);
                free.setBottom(free.bottom() - c->Height);
                break;
            case Align::Left:
                r = QRect(free.left(), free.top(), c->Width, free.height());
                free.setLeft(free.left() + c->Width);
                break;
            case Align::Right:
                r = QRect(free.right() + 1 - c->Width, free.top(), c->Width, free.height());
                free.setRight(free.right() - c->Width);
                break;
            case Align::Client:
            case Align::None:
                r = free;
                break;
            }
            if (r != QRect(c->Left, c->Top, c->Width, c->Height)) {
                c->SetBounds(r.left(), r.top(), std::max(0, r.width()), std::max(0, r.height()));
            }
        }
    }
}

} // namespace

void FormView::SyncChildren(forms::WinControl& container, QWidget* client,
                            std::set<const forms::Control*>& seen) {
    const bool onPages = dynamic_cast<forms::PageControl*>(&container) != nullptr;
    QSize area = dynamic_cast<forms::TabSheet*>(&container) != nullptr
                     ? client->size()
                     : QSize(container.ClientWidth(), container.ClientHeight());
    AlignControls(container, area);
    for (forms::Control* control : container.Controls()) {
        seen.insert(control);
        auto found = widgets_.find(control);
        if (found != widgets_.end() && kinds_[control] != control->KindName()) {
            // Another control now lives at the same address.
            found->second->deleteLater();
            widgets_.erase(found);
            found = widgets_.end();
        }
        QWidget* widget = nullptr;
        if (found == widgets_.end()) {
            widget = CreateControlWidget(*control, client, *this);
            widgets_[control] = widget;
            kinds_[control] = control->KindName();
        } else {
            widget = found->second;
            // A page's widget lives in the page control's stack, wherever that puts it.
            if (!onPages && widget->parentWidget() != client) {
                widget->setParent(client);
            }
        }
        if (auto* inner = dynamic_cast<forms::WinControl*>(control)) {
            SyncChildren(*inner, ClientOf(widget), seen);
        }
        // After the children: a page control places the pages' widgets made just now.
        SyncControlWidget(*control, widget, *this);
        // After the text: an auto-sized label grows to it.
        SyncCommon(*control, widget);
    }
    // The last control is on top, as the framework stacks them.
    if (!onPages && orders_[&container] != container.Controls()) {
        for (forms::Control* control : container.Controls()) {
            widgets_[control]->raise();
        }
        orders_[&container] = container.Controls();
    }
    // Tab walks a container's controls by their TabOrder, creation order among equals.
    std::vector<forms::Control*> tabbed;
    for (forms::Control* control : container.Controls()) {
        if (control->AcceptsFocus()) {
            tabbed.push_back(control);
        }
    }
    std::stable_sort(
        tabbed.begin(), tabbed.end(),
        [](const forms::Control* a, const forms::Control* b) { return a->TabOrder < b->TabOrder; });
    auto& chain = tabChains_[&container];
    if (chain != tabbed) {
        for (std::size_t i = 1; i < tabbed.size(); ++i) {
            QWidget::setTabOrder(FocusPart(widgets_[tabbed[i - 1]]),
                                 FocusPart(widgets_[tabbed[i]]));
        }
        chain = tabbed;
    }
}

void FormView::SyncCommon(forms::Control& control, QWidget* widget) {
    QFont font = ToQFont(EffectiveFont(control));
    if (widget->font() != font) {
        widget->setFont(font);
    }
    ApplyColours(control, *widget);
    if (dynamic_cast<forms::TabSheet*>(&control) == nullptr) {
        QRect bounds(control.Left, control.Top, std::max(0, control.Width),
                     std::max(0, control.Height));
        // An auto-sized label is as large as its text in the face actually drawn, which the
        // toolkit can only estimate.
        if (auto* label = dynamic_cast<forms::Label*>(&control);
            label != nullptr && label->AutoSize && !label->WordWrap) {
            QSize text = widget->sizeHint();
            bounds.setWidth(std::max(bounds.width(), text.width()));
            bounds.setHeight(std::max(bounds.height(), text.height()));
        }
        if (widget->geometry() != bounds) {
            widget->setGeometry(bounds);
        }
        if (widget->isHidden() == control.Visible) {
            widget->setVisible(control.Visible);
        }
    }
    // Moves with no button down reach only the controls that want them.
    if (widget->hasMouseTracking() != static_cast<bool>(control.OnMouseMove)) {
        widget->setMouseTracking(static_cast<bool>(control.OnMouseMove));
    }
    if (widget->isEnabled() != control.Enabled) {
        widget->setEnabled(control.Enabled);
    }
    bool showHint = control.ShowHint || form_->ShowHint;
    QString tip = showHint ? ToQt(control.Hint) : QString();
    if (widget->toolTip() != tip) {
        widget->setToolTip(tip);
    }
}

void FormView::SyncWindow() {
    forms::Form& form = *form_;
    QString title = ToQt(form.Caption);
    if (window_->windowTitle() != title) {
        window_->setWindowTitle(title);
    }
    Qt::WindowFlags flags = WindowFlagsOf(form);
    if (window_->windowFlags() != flags) {
        bool shown = window_->isVisible();
        window_->setWindowFlags(flags);
        if (shown) {
            window_->show();
        }
    }
    QSize client(std::max(1, form.ClientWidth()), std::max(1, form.ClientHeight()));
    if (client != appliedSize_) {
        appliedSize_ = client;
        if (form.BorderStyle == forms::BorderStyle::Sizeable) {
            int frameW = form.Width - form.ClientWidth();
            int frameH = form.Height - form.ClientHeight();
            const auto& k = form.Constraints;
            window_->setMinimumSize(std::max(0, k.MinWidth - frameW),
                                    std::max(0, k.MinHeight - frameH));
            window_->setMaximumSize(k.MaxWidth > 0 ? k.MaxWidth - frameW : QWIDGETSIZE_MAX,
                                    k.MaxHeight > 0 ? k.MaxHeight - frameH : QWIDGETSIZE_MAX);
            window_->resize(client);
        } else {
            window_->setFixedSize(client);
        }
    }
    QFont font = ToQFont(form.Font);
    if (window_->font() != font) {
        window_->setFont(font);
    }
    ApplyColours(form, *window_);
    if (window_->hasMouseTracking() != static_cast<bool>(form.OnMouseMove)) {
        window_->setMouseTracking(static_cast<bool>(form.OnMouseMove));
    }
    if (form.Visible && !placed_) {
        PlaceWindow();
    }
    QPoint position(form.Left, form.Top);
    if (placed_ && position != appliedPosition_) {
        appliedPosition_ = position;
        window_->move(position);
    }
    if (form.Visible && window_->isHidden()) {
        window_->show();
    } else if (!form.Visible && !window_->isHidden()) {
        window_->hide();
    }
}

void FormView::PlaceWindow() {
    forms::Form& form = *form_;
    placed_ = true;
    QRect area;
    using forms::Position;
    if (form.Position == Position::OwnerFormCenter || form.Position == Position::MainFormCenter) {
        QWidget* around = nullptr;
        for (forms::Component* c = form.Owner(); c != nullptr && around == nullptr;
             c = c->Owner()) {
            if (auto* owner = dynamic_cast<forms::Form*>(c)) {
                QWidget* w = dispatcher_.WindowOf(owner);
                around = w != nullptr && w->isVisible() ? w : nullptr;
            }
        }
        if (around == nullptr) {
            around = dispatcher_.MainWidget();
        }
        if (around != nullptr) {
            area = around->frameGeometry();
        }
    }
    if (area.isNull() && form.Position != Position::Designed) {
        QScreen* screen = QGuiApplication::primaryScreen();
        area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    }
    if (!area.isNull()) {
        // The framework moves a centred window and says so in its bounds.
        form.Left = area.left() + (area.width() - form.Width) / 2;
        form.Top = area.top() + (area.height() - form.Height) / 2;
        if (form.Position != Position::OwnerFormCenter &&
            form.Position != Position::MainFormCenter) {
            form.Left = std::max(form.Left, area.left());
            form.Top = std::max(form.Top, area.top());
        }
    }
    appliedPosition_ = QPoint(form.Left, form.Top);
    window_->move(appliedPosition_);
}

void FormView::SyncFocus() {
    forms::Control* active = form_->ActiveControl();
    if (active == nullptr) {
        return;
    }
    auto it = widgets_.find(active);
    if (it == widgets_.end()) {
        return;
    }
    QWidget* part = FocusPart(it->second);
    if (window_->focusWidget() != part && part->isVisibleTo(window_) && part->isEnabled()) {
        part->setFocus(Qt::OtherFocusReason);
    }
}

bool FormView::ListKey(forms::Control* control, int key) {
    auto step = [&](int current, int count) {
        switch (key) {
        case Qt::Key_Up:
            return std::max(0, current - 1);
        case Qt::Key_Down:
            return std::min(count - 1, current + 1);
        case Qt::Key_Home:
            return 0;
        case Qt::Key_End:
            return count - 1;
        case Qt::Key_PageUp:
            return std::max(0, current - 10);
        case Qt::Key_PageDown:
            return std::min(count - 1, current + 10);
        default:
            return -2;
        }
    };
    if (auto* list = dynamic_cast<forms::ListBox*>(control)) {
        int next = step(list->ItemIndex(), list->Items.Count());
        if (next >= 0 && next != list->ItemIndex()) {
            Act(control, [list, next](forms::User& user) { user.Select(*list, next); });
        }
        return next != -2;
    }
    if (auto* view = dynamic_cast<forms::ListView*>(control)) {
        int next = step(view->ItemIndex(), view->Items.Count());
        if (next >= 0 && next != view->ItemIndex()) {
            Act(control, [view, next](forms::User& user) { user.Select(*view, next); });
        }
        return next != -2;
    }
    if (auto* tree = dynamic_cast<forms::TreeView*>(control)) {
        auto* widget = static_cast<QTreeWidget*>(widgets_[control]);
        QTreeWidgetItem* current = widget->currentItem();
        QTreeWidgetItem* next = nullptr;
        if (key == Qt::Key_Up && current != nullptr) {
            next = widget->itemAbove(current);
        } else if (key == Qt::Key_Down) {
            next = current == nullptr ? widget->topLevelItem(0) : widget->itemBelow(current);
        } else if ((key == Qt::Key_Left || key == Qt::Key_Right) && current != nullptr) {
            current->setExpanded(key == Qt::Key_Right); // the expand signals ask the tree
            return true;
        } else {
            return false;
        }
        if (next != nullptr) {
            emit widget->itemClicked(next, 0);
        }
        (void)tree;
        return true;
    }
    return false;
}

bool FormView::KeyPressed(forms::Control* control, QKeyEvent& event) {
    const int key = event.key();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
    auto* memo = dynamic_cast<forms::Memo*>(control);
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !(memo != nullptr && memo->WantTabs)) {
        return false; // Qt walks the focus chain; the focus change reaches the window
    }
    if (dynamic_cast<forms::DateTimePicker*>(control) != nullptr) {
        return false; // the picker edits its fields itself and reports the value
    }
    if (IsText(control)) {
        if (ctrl && key == Qt::Key_V) {
            std::string pasted = FromQt(QApplication::clipboard()->text());
            Act(control, [control, pasted](forms::User& user) { user.Paste(*control, pasted); });
            return true;
        }
        if (ctrl && key == Qt::Key_A) {
            if (auto* edit = dynamic_cast<forms::CustomEdit*>(control)) {
                Act(control, [edit](forms::User&) { edit->SelectAll(); });
            }
            return true;
        }
        if (ctrl && (key == Qt::Key_C || key == Qt::Key_Insert)) {
            return false; // the widget holds the same text and selection
        }
    }
    if (dynamic_cast<forms::ComboBox*>(control) != nullptr &&
        (key == Qt::Key_F4 || ((modifiers & Qt::AltModifier) != 0 && key == Qt::Key_Down))) {
        return false; // opens the list
    }
    QString text = event.text();
    if (!text.isEmpty() && text.at(0).isPrint() && !ctrl && (modifiers & Qt::AltModifier) == 0) {
        std::string typed = FromQt(text);
        Act(control, [control, typed](forms::User& user) { user.Type(*control, typed); });
        return true;
    }
    std::uint16_t vk = VirtualKeyOf(key);
    if (vk == 0) {
        return IsText(control);
    }
    forms::ShiftState shift = ShiftOf(modifiers);
    Act(control, [control, vk, shift](forms::User& user) { user.PressKey(*control, vk, shift); });
    if (IsList(control) && form_ != nullptr && !ctrl) {
        ListKey(control, key);
    }
    return true;
}

void FormView::PullSelection(forms::Control* control, QObject* part) {
    auto* edit = dynamic_cast<forms::CustomEdit*>(control);
    if (edit == nullptr) {
        return;
    }
    int start = 0;
    int end = 0;
    if (auto* line = qobject_cast<QLineEdit*>(part)) {
        start = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        end = line->hasSelectedText() ? line->selectionEnd() : start;
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(part->parent())) {
        QTextCursor cursor = memo->textCursor();
        start = cursor.selectionStart();
        end = cursor.selectionEnd();
        // The memo shows CR LF as one break: count it back as two bytes.
        const std::string& text = edit->Text();
        auto toBytes = [&](int chars) {
            std::size_t i = 0;
            for (int n = 0; i < text.size() && n < chars; ++n) {
                if (text.compare(i, 2, "\r\n") == 0) {
                    i += 2;
                } else {
                    i += zeph::text::CharLength(text, i);
                }
            }
            return static_cast<int>(i);
        };
        edit->SetSelStart(toBytes(start));
        edit->SetSelLength(toBytes(end) - toBytes(start));
        return;
    } else {
        return;
    }
    int from = ByteOffset(edit->Text(), start);
    edit->SetSelStart(from);
    edit->SetSelLength(ByteOffset(edit->Text(), end) - from);
}

namespace {

std::optional<forms::MouseButton> MouseButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return forms::MouseButton::Left;
    case Qt::RightButton:
        return forms::MouseButton::Right;
    case Qt::MiddleButton:
        return forms::MouseButton::Middle;
    default:
        return std::nullopt;
    }
}

// The keys held and the buttons down while the event happened.
forms::ShiftState MouseShiftOf(const QMouseEvent& event) {
    forms::ShiftState shift = ShiftOf(event.modifiers());
    if ((event.buttons() & Qt::LeftButton) != 0) {
        shift |= forms::ssLeft;
    }
    if ((event.buttons() & Qt::RightButton) != 0) {
        shift |= forms::ssRight;
    }
    if ((event.buttons() & Qt::MiddleButton) != 0) {
        shift |= forms::ssMiddle;
    }
    return shift;
}

} // namespace

QPoint FormView::ClientPoint(forms::Control* control, QObject* part, QPointF position) const {
    QPoint at = position.toPoint();
    auto* piece = qobject_cast<QWidget*>(part);
    QWidget* whole = WidgetFor(control);
    if (piece != nullptr && whole != nullptr && whole->isAncestorOf(piece)) {
        at = piece->mapTo(whole, at);
    }
    return at;
}

void FormView::MouseDownAt(forms::Control* control, forms::MouseButton button, QPoint at,
                           forms::ShiftState shift) {
    Act(control, [control, button, at, shift](forms::User& user) {
        user.MouseDown(*control, button, at.x(), at.y(), shift);
    });
}

void FormView::MouseEvent(forms::Control* control, QObject* part, QMouseEvent& event) {
    // Qt hands an event the pressed widget leaves to its parents as copies that are not
    // spontaneous; the control under the mouse has had it already.
    if (!event.spontaneous()) {
        return;
    }
    const QPoint at = ClientPoint(control, part, event.position());
    const forms::ShiftState shift = MouseShiftOf(event);
    const std::optional<forms::MouseButton> button = MouseButtonOf(event.button());
    // Left clicks on these arrive through their widgets' signals as the toolkit's own actions.
    const bool bySignal = event.button() == Qt::LeftButton && ClicksBySignal(control);
    switch (event.type()) {
    case QEvent::MouseButtonDblClick:
        if (event.button() == Qt::LeftButton) {
            if (!bySignal) {
                Act(control, [control](forms::User& user) { user.DoubleClick(*control); });
            }
            return;
        }
        [[fallthrough]]; // another button's second press is a press
    case QEvent::MouseButtonPress:
        if (press_ && (event.buttons() & press_->button) == 0) {
            press_.reset(); // its release went elsewhere (a window opened by a handler took it)
        }
        if (press_ || !button || bySignal) {
            return;
        }
        press_ = Press{part, control, event.button(), at, shift, false};
        if (event.button() != Qt::LeftButton) {
            press_->delivered = true;
            MouseDownAt(control, *button, at, shift);
        }
        return;
    case QEvent::MouseMove:
        if (!press_) {
            if (event.buttons() == Qt::NoButton && control->OnMouseMove) {
                Act(control, [control, at, shift](forms::User& user) {
                    user.MouseMove(*control, at.x(), at.y(), shift);
                });
            }
            return;
        }
        if (press_->part != part) {
            return;
        }
        if (!press_->delivered) {
            // A hand that shakes a little still clicks.
            if ((at - press_->at).manhattanLength() < QApplication::startDragDistance()) {
                return;
            }
            press_->delivered = true;
            MouseDownAt(press_->control, forms::MouseButton::Left, press_->at, press_->shift);
        }
        if (press_) {
            forms::Control* pressed = press_->control;
            Act(pressed, [pressed, at, shift](forms::User& user) {
                user.MouseMove(*pressed, at.x(), at.y(), shift);
            });
        }
        // A splitter follows the left button; the pointer's place in the moved bar says how
        // far it is yet to go.
        if (auto* splitter = press_ ? dynamic_cast<forms::Splitter*>(press_->control) : nullptr;
            splitter != nullptr && press_->button == Qt::LeftButton) {
            QPoint moved = at - press_->at;
            int distance = splitter->Height >= splitter->Width ? moved.x() : moved.y();
            Act(splitter, [splitter, distance](forms::User&) {
                if (splitter->Reachable()) {
                    DragSplitter(*splitter, distance);
                }
            });
        }
        return;
    case QEvent::MouseButtonRelease: {
        auto* widget = qobject_cast<QWidget*>(part);
        const bool inside =
            widget != nullptr && widget->rect().contains(event.position().toPoint());
        // The text the person selected with the mouse is the edit's selection.
        PullSelection(control, part);
        auto click = [&] { Act(control, [control](forms::User& user) { user.Click(*control); }); };
        if (!press_) {
            // The release after a double click's second press.
            if (event.button() == Qt::LeftButton && !bySignal && inside) {
                click();
            }
            return;
        }
        if (press_->part != part || press_->button != event.button()) {
            return;
        }
        Press pressed = *press_;
        press_.reset();
        if (!pressed.delivered && inside) {
            click();
            return;
        }
        if (!pressed.delivered) {
            MouseDownAt(control, forms::MouseButton::Left, pressed.at, pressed.shift);
        }
        Act(control, [control, button, at, shift](forms::User& user) {
            user.MouseUp(*control, *button, at.x(), at.y(), shift);
        });
        return;
    }
    default:
        return;
    }
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
    if (form_ == nullptr || dispatcher_.Syncing()) {
        return false;
    }
    auto it = parts_.find(watched);
    if (it == parts_.end()) {
        return false;
    }
    forms::Control* control = it->second;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto& key = static_cast<QKeyEvent&>(*event);
        if (control == form_) {
            // Keys on the window itself: none of its controls has the focus.
            std::uint16_t vk = VirtualKeyOf(key.key());
            if (vk == 0) {
                return false;
            }
            forms::Form* form = form_;
            forms::ShiftState shift = ShiftOf(key.modifiers());
            Act(form, [form, vk, shift](forms::User& user) {
                if (vk == forms::keys::Escape) {
                    user.Escape(*form);
                } else if (vk == forms::keys::Return) {
                    user.Enter(*form);
                } else {
                    user.PressKey(*form, vk, shift);
                }
            });
            return true;
        }
        return KeyPressed(control, key);
    }
    case QEvent::ShortcutOverride:
        // Keys a text control takes are its own, not a window shortcut's.
        return false;
    case QEvent::InputMethod: {
        auto& input = static_cast<QInputMethodEvent&>(*event);
        if (!input.commitString().isEmpty()) {
            std::string typed = FromQt(input.commitString());
            Act(control, [control, typed](forms::User& user) { user.Type(*control, typed); });
            return true;
        }
        return false;
    }
    case QEvent::FocusIn: {
        auto reason = static_cast<QFocusEvent&>(*event).reason();
        if (control != form_ && reason != Qt::PopupFocusReason &&
            reason != Qt::ActiveWindowFocusReason && form_->ActiveControl() != control) {
            Act(control, [control](forms::User& user) { user.Focus(*control); });
        }
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        MouseEvent(control, watched, static_cast<QMouseEvent&>(*event));
        return false;
    case QEvent::Move:
    case QEvent::Resize:
        if (control == form_ && event->spontaneous() && window_ && placed_) {
            // The person moved or sized the window: its bounds say so.
            QPoint at = window_->pos();
            form_->Left = at.x();
            form_->Top = at.y();
            appliedPosition_ = at;
            if (form_->BorderStyle == forms::BorderStyle::Sizeable) {
                form_->SetClientWidth(window_->width());
                form_->SetClientHeight(window_->height());
                appliedSize_ = window_->size();
            }
        }
        return false;
    default:
        return false;
    }
}

} // namespace zeph::qtforms
