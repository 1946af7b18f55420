// The person's keys, typed text and focus on a window's widgets, as User actions.
#include "FormView.h"
#include "KindAdapter.h"
#include "QtInput.h"

#include <zeph/qtforms/QtText.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace zeph::qtforms {
namespace forms = zeph::forms;

bool FormView::KeyPressed(forms::Control* control, QKeyEvent& event) {
    const KindAdapter& kind = AdapterFor(*control);
    const int key = event.key();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !kind.WantsTab(*control)) {
        return false; // Qt walks the focus chain; the focus change reaches the window
    }
    if (kind.LeavesKeyToWidget(key, modifiers)) {
        return false;
    }
    if (kind.TakesText()) {
        if (ctrl && key == Qt::Key_V) {
            std::string pasted = FromQt(QApplication::clipboard()->text());
            Act(control, [control, pasted](forms::User& user) { user.Paste(*control, pasted); });
            return true;
        }
        if (ctrl && key == Qt::Key_A) {
            if (auto selectAll = kind.SelectAll(*control)) {
                Act(control, std::move(selectAll));
            }
            return true;
        }
        if (ctrl && (key == Qt::Key_C || key == Qt::Key_Insert)) {
            return false; // the widget holds the same text and selection
        }
    }
    QString text = event.text();
    if (!text.isEmpty() && text.at(0).isPrint() && !ctrl && (modifiers & Qt::AltModifier) == 0) {
        std::string typed = FromQt(text);
        Act(control, [control, typed](forms::User& user) { user.Type(*control, typed); });
        return true;
    }
    std::uint16_t vk = VirtualKeyOf(key);
    if (vk == 0) {
        return kind.TakesText();
    }
    forms::ShiftState shift = ShiftOf(modifiers);
    Act(control, [control, vk, shift](forms::User& user) { user.PressKey(*control, vk, shift); });
    if (form_ != nullptr && !ctrl) {
        kind.StepByKey(*control, WidgetFor(control), key, *this);
    }
    return true;
}

// Keys on the window itself: none of its controls has the focus.
bool FormView::WindowKeyPressed(QKeyEvent& event) {
    std::uint16_t vk = VirtualKeyOf(event.key());
    if (vk == 0) {
        return false;
    }
    forms::Form* form = form_;
    forms::ShiftState shift = ShiftOf(event.modifiers());
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

// The person moved or sized the window: its bounds say so.
void FormView::WindowMoved() {
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
        return control == form_ ? WindowKeyPressed(key) : KeyPressed(control, key);
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
            WindowMoved();
        }
        return false;
    default:
        return false;
    }
}

} // namespace zeph::qtforms
