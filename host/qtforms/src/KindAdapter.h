// What the Qt backend does with one kind of control: the widget that draws it, bringing that
// widget up to date, and how the person's keys and mouse on it reach the toolkit. One adapter
// per kind of control; AdapterFor picks it through the toolkit's ControlVisitor, so a kind
// without an adapter does not build.
#pragma once

#include "ControlWidgets.h"

#include <zeph/formdrive/User.h>
#include <zeph/forms/Control.h>

#include <QPoint>
#include <QRect>
#include <Qt>
#include <functional>
#include <type_traits>

class QObject;
class QWidget;

namespace zeph::qtforms {

class KindAdapter {
public:
    virtual ~KindAdapter() = default;

    // The widget drawing control, a child of parent, with its pieces watched by router.
    virtual QWidget* Create(zeph::forms::Control& control, QWidget* parent,
                            Router& router) const = 0;
    // Texts, items and states of the kind.
    virtual void Sync(zeph::forms::Control& control, QWidget* widget, Router& router) const = 0;
    // The control as a container of other controls, or nullptr.
    virtual zeph::forms::WinControl* Container(zeph::forms::Control& control) const = 0;

    // Where the control's children go: the widget itself, or a piece of it.
    virtual QWidget* ClientOf(QWidget* widget) const { return widget; }
    // The container's widget places its children itself (pages in a stack), not the view.
    virtual bool PlacesChildren() const { return false; }
    // The control's widget is sized and shown by its container's widget (a page).
    virtual bool PlacedByContainer() const { return false; }
    // Where the widget goes in its parent.
    virtual QRect Bounds(zeph::forms::Control& control, QWidget* widget) const;

    // Left clicks arrive through the widget's own signals as the toolkit's actions.
    virtual bool ClicksBySignal() const { return false; }
    // A text the person edits: paste, select all and copy keys are the control's.
    virtual bool TakesText() const { return false; }
    // Tab is a character here, not a step along the focus chain.
    virtual bool WantsTab(zeph::forms::Control&) const { return false; }
    // The widget handles this key itself (a picker's fields, a drop-down opening).
    virtual bool LeavesKeyToWidget(int, Qt::KeyboardModifiers) const { return false; }
    // What Ctrl+A does to the control, or nothing.
    virtual std::function<void(zeph::forms::User&)> SelectAll(zeph::forms::Control&) const {
        return {};
    }
    // The arrow and page keys moving through a list's items, after the key's events.
    virtual void StepByKey(zeph::forms::Control&, QWidget*, int, Router&) const {}
    // The text selected with the mouse in part becomes the control's selection.
    virtual void PullSelection(zeph::forms::Control&, QObject*) const {}
    // The left button held down and moved by this much since it went down.
    virtual void LeftDrag(zeph::forms::Control&, QPoint, Router&) const {}
};

// The adapter of control's kind.
const KindAdapter& AdapterFor(zeph::forms::Control& control);

// The control a widget's signal speaks of, as the type its adapter was made for.
template <typename T>
T& As(zeph::forms::Control* control) {
    return static_cast<T&>(*control);
}

// An adapter written for the type T: AdapterFor hands it only controls of that type.
template <typename T>
class AdapterOf : public KindAdapter {
public:
    QWidget* Create(zeph::forms::Control& control, QWidget* parent, Router& router) const final {
        return Make(static_cast<T&>(control), parent, router);
    }
    void Sync(zeph::forms::Control& control, QWidget* widget, Router& router) const final {
        Update(static_cast<T&>(control), widget, router);
    }
    zeph::forms::WinControl* Container(zeph::forms::Control& control) const final {
        if constexpr (std::is_base_of_v<zeph::forms::WinControl, T>) {
            return &static_cast<T&>(control);
        } else {
            return nullptr;
        }
    }

protected:
    virtual QWidget* Make(T& control, QWidget* parent, Router& router) const = 0;
    virtual void Update(T& control, QWidget* widget, Router& router) const = 0;
};

} // namespace zeph::qtforms
