// What the widgets of a window share: the router to their view, and host text as Qt counts it.
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

// The name of the line edit inside a control made of pieces, which holds the keyboard focus.
inline constexpr const char* kEditPart = "edit";

// The widget drawing control, a child of parent, named after it and watched by router.
QWidget* CreateControlWidget(zeph::forms::Control& control, QWidget* parent, Router& router);
// A caption as drawn: "&" marks the accelerator, "&&" is an ampersand.
QString WithoutAccelerator(const QString& caption);
// The character offset of a byte offset into host text, as Qt counts characters.
int CharOffset(const std::string& hostText, int byteOffset);
// The byte offset into host text of a character offset.
int ByteOffset(const std::string& hostText, int charOffset);

} // namespace zeph::qtforms
