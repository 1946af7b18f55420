// The window's own frame: title, flags, size, font, colours, place and visibility.
#include "Appearance.h"
#include "FormView.h"

#include <zeph/qtforms/QtText.h>

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace zeph::qtforms {
namespace forms = zeph::forms;

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

} // namespace zeph::qtforms
