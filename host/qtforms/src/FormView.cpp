#include "FormView.h"

#include "Appearance.h"
#include "KindAdapter.h"

#include <zeph/qtforms/QtText.h>

#include <QCloseEvent>
#include <QLineEdit>
#include <algorithm>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

// The piece of a widget that holds the keyboard focus.
QWidget* FocusPart(QWidget* widget) {
    if (auto* edit = widget->findChild<QLineEdit*>(kEditPart, Qt::FindDirectChildrenOnly)) {
        return edit;
    }
    return widget;
}

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
        Forget(it->first);
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

void FormView::Forget(const forms::Control* control) {
    if (press_ && press_->control == control) {
        press_.reset();
    }
    for (auto p = parts_.begin(); p != parts_.end();) {
        p = p->second == control ? parts_.erase(p) : std::next(p);
    }
    kinds_.erase(control);
    orders_.erase(control);
    tabChains_.erase(control);
}

QWidget* FormView::WidgetOf(forms::Control& control, QWidget* client, bool onPages) {
    auto found = widgets_.find(&control);
    if (found != widgets_.end() && kinds_[&control] != control.KindName()) {
        // Another control now lives at the same address.
        found->second->deleteLater();
        widgets_.erase(found);
        found = widgets_.end();
    }
    if (found == widgets_.end()) {
        QWidget* widget = CreateControlWidget(control, client, *this);
        widgets_[&control] = widget;
        kinds_[&control] = control.KindName();
        return widget;
    }
    QWidget* widget = found->second;
    // A page's widget lives in the page control's stack, wherever that puts it.
    if (!onPages && widget->parentWidget() != client) {
        widget->setParent(client);
    }
    return widget;
}

void FormView::SyncChildren(forms::WinControl& container, QWidget* client,
                            std::set<const forms::Control*>& seen) {
    const KindAdapter& kind = AdapterFor(container);
    const bool onPages = kind.PlacesChildren();
    QSize area = kind.PlacedByContainer()
                     ? client->size()
                     : QSize(container.ClientWidth(), container.ClientHeight());
    AlignControls(container, area);
    for (forms::Control* control : container.Controls()) {
        seen.insert(control);
        QWidget* widget = WidgetOf(*control, client, onPages);
        const KindAdapter& adapter = AdapterFor(*control);
        if (forms::WinControl* inner = adapter.Container(*control)) {
            SyncChildren(*inner, adapter.ClientOf(widget), seen);
        }
        // After the children: a page control places the pages' widgets made just now.
        adapter.Sync(*control, widget, *this);
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
    ChainTabs(container);
}

// Tab walks a container's controls by their TabOrder, creation order among equals.
void FormView::ChainTabs(forms::WinControl& container) {
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
    const KindAdapter& kind = AdapterFor(control);
    if (!kind.PlacedByContainer()) {
        QRect bounds = kind.Bounds(control, widget);
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

} // namespace zeph::qtforms
