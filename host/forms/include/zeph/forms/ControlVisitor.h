// Dispatch on the kind of a control: one Visit per kind that a window can hold. Whatever
// treats kinds differently (a backend's widgets, the script runner) implements this
// interface, so a kind added here is a build error in every place that has not learnt it yet.
#pragma once

namespace zeph::forms {

class Button;
class ButtonEdit;
class CheckBox;
class CheckListBox;
class ComboBox;
class DataTreeView;
class DateTimePicker;
class Edit;
class Form;
class GroupBox;
class Label;
class LabeledEdit;
class ListBox;
class ListView;
class Memo;
class PageControl;
class Panel;
class ProgressBar;
class RadioButton;
class ScrollBox;
class Shape;
class SpinEdit;
class Splitter;
class TabSheet;
class TreeView;

class ControlVisitor {
public:
    virtual ~ControlVisitor() = default;

    virtual void Visit(Button& control) = 0;
    virtual void Visit(ButtonEdit& control) = 0;
    virtual void Visit(CheckBox& control) = 0;
    virtual void Visit(CheckListBox& control) = 0;
    virtual void Visit(ComboBox& control) = 0;
    virtual void Visit(DataTreeView& control) = 0;
    virtual void Visit(DateTimePicker& control) = 0;
    virtual void Visit(Edit& control) = 0;
    virtual void Visit(Form& control) = 0;
    virtual void Visit(GroupBox& control) = 0;
    virtual void Visit(Label& control) = 0;
    virtual void Visit(LabeledEdit& control) = 0;
    virtual void Visit(ListBox& control) = 0;
    virtual void Visit(ListView& control) = 0;
    virtual void Visit(Memo& control) = 0;
    virtual void Visit(PageControl& control) = 0;
    virtual void Visit(Panel& control) = 0;
    virtual void Visit(ProgressBar& control) = 0;
    virtual void Visit(RadioButton& control) = 0;
    virtual void Visit(ScrollBox& control) = 0;
    virtual void Visit(Shape& control) = 0;
    virtual void Visit(SpinEdit& control) = 0;
    virtual void Visit(Splitter& control) = 0;
    virtual void Visit(TabSheet& control) = 0;
    virtual void Visit(TreeView& control) = 0;
};

} // namespace zeph::forms
