// One widget per kind of control: making it, and bringing it up to date with its control.
#pragma once

#include <zeph/formdrive/User.h>
#include <zeph/forms/Control.h>

#include <QString>
#include <functional>
#include <string>

class QObject;
class QWidget;

namespace zeph::qtforms {

// What the widgets of a window need from the window's view.
class Router {
public:
    virtual ~Router() = default;
    // Runs what a person did to control, unless the view is being updated or the control is
    // gone by then.
    virtual void Act(zeph::forms::Control* control,
                     std::function<void(zeph::forms::User&)> action) = 0;
    // Routes the keyboard, mouse and focus events of part (the widget or a piece of it) to
    // control.
    virtual void Watch(QObject* part, zeph::forms::Control* control) = 0;
    // The widget of a control of this window, or nullptr.
    virtual QWidget* WidgetFor(const zeph::forms::Control* control) const = 0;
};

// The widget drawing control, a child of parent.
QWidget* CreateControlWidget(zeph::forms::Control& control, QWidget* parent, Router& router);
// Where the control's children go: the widget itself, or a piece of it.
QWidget* ClientOf(QWidget* widget);
// Texts, items and states of the control's kind.
void SyncControlWidget(zeph::forms::Control& control, QWidget* widget, Router& router);

// A caption as drawn: "&" marks the accelerator, "&&" is an ampersand.
QString WithoutAccelerator(const QString& caption);
// The character offset of a byte offset into host text, as Qt counts characters.
int CharOffset(const std::string& hostText, int byteOffset);
// The byte offset into host text of a character offset.
int ByteOffset(const std::string& hostText, int charOffset);

} // namespace zeph::qtforms
