// Buttons: the push button, the radio button and the check box; a click is the toolkit's.
#include "Adapters.h"

#include <zeph/forms/Button.h>
#include <zeph/qtforms/QtText.h>

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

QAbstractButton* Clicking(QAbstractButton* button, forms::Control* c, Router& router) {
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [&router, c] { router.Act(c, [c](forms::User& user) { user.Click(*c); }); });
    router.Watch(button, c);
    return button;
}

class ButtonAdapterImpl final : public AdapterOf<forms::Button> {
public:
    bool ClicksBySignal() const override { return true; }

protected:
    QWidget* Make(forms::Button& control, QWidget* parent, Router& router) const override {
        auto* push = new QPushButton(parent);
        push->setAutoDefault(false);
        return Clicking(push, &control, router);
    }
    void Update(forms::Button& button, QWidget* widget, Router&) const override {
        auto* push = static_cast<QPushButton*>(widget);
        if (push->text() != ToQt(button.Caption)) {
            push->setText(ToQt(button.Caption));
        }
        push->setDefault(button.Default);
    }
};

// The radio button and the check box: a caption and a tick.
template <typename T>
class TickButtonAdapter final : public AdapterOf<T> {
public:
    bool ClicksBySignal() const override { return true; }

protected:
    QWidget* Make(T& control, QWidget* parent, Router& router) const override {
        QAbstractButton* button = nullptr;
        if constexpr (std::is_same_v<T, forms::RadioButton>) {
            button = new QRadioButton(parent);
            button->setAutoExclusive(false);
        } else {
            button = new QCheckBox(parent);
        }
        return Clicking(button, &control, router);
    }
    void Update(T& control, QWidget* widget, Router&) const override {
        auto* b = static_cast<QAbstractButton*>(widget);
        b->setText(ToQt(control.Caption));
        b->setChecked(control.Checked());
    }
};

} // namespace

const KindAdapter& ButtonAdapter() {
    static const ButtonAdapterImpl adapter;
    return adapter;
}

const KindAdapter& RadioButtonAdapter() {
    static const TickButtonAdapter<forms::RadioButton> adapter;
    return adapter;
}

const KindAdapter& CheckBoxAdapter() {
    static const TickButtonAdapter<forms::CheckBox> adapter;
    return adapter;
}

} // namespace zeph::qtforms
