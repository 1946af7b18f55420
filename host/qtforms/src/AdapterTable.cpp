#include "Adapters.h"

#include <zeph/forms/Button.h>
#include <zeph/forms/ComboBox.h>
#include <zeph/forms/DateTimePicker.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/ListBox.h>
#include <zeph/forms/ListView.h>
#include <zeph/forms/PageControl.h>
#include <zeph/forms/ProgressBar.h>
#include <zeph/forms/TreeView.h>

#include <algorithm>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

// Every kind of control to its adapter; the visitor's pure Visits keep the table whole.
class AdapterLookup final : public forms::ControlVisitor {
public:
    const KindAdapter* found = nullptr;

    void Visit(forms::Button&) override { found = &ButtonAdapter(); }
    void Visit(forms::ButtonEdit&) override { found = &ButtonEditAdapter(); }
    void Visit(forms::CheckBox&) override { found = &CheckBoxAdapter(); }
    void Visit(forms::CheckListBox&) override { found = &CheckListBoxAdapter(); }
    void Visit(forms::ComboBox&) override { found = &ComboBoxAdapter(); }
    void Visit(forms::DataTreeView&) override { found = &DataTreeViewAdapter(); }
    void Visit(forms::DateTimePicker&) override { found = &DateTimePickerAdapter(); }
    void Visit(forms::Edit&) override { found = &EditAdapter(); }
    void Visit(forms::Form&) override { found = &FormAdapter(); }
    void Visit(forms::GroupBox&) override { found = &GroupBoxAdapter(); }
    void Visit(forms::Label&) override { found = &LabelAdapter(); }
    void Visit(forms::LabeledEdit&) override { found = &LabeledEditAdapter(); }
    void Visit(forms::ListBox&) override { found = &ListBoxAdapter(); }
    void Visit(forms::ListView&) override { found = &ListViewAdapter(); }
    void Visit(forms::Memo&) override { found = &MemoAdapter(); }
    void Visit(forms::PageControl&) override { found = &PageControlAdapter(); }
    void Visit(forms::Panel&) override { found = &PanelAdapter(); }
    void Visit(forms::ProgressBar&) override { found = &ProgressBarAdapter(); }
    void Visit(forms::RadioButton&) override { found = &RadioButtonAdapter(); }
    void Visit(forms::ScrollBox&) override { found = &ScrollBoxAdapter(); }
    void Visit(forms::Shape&) override { found = &ShapeAdapter(); }
    void Visit(forms::SpinEdit&) override { found = &SpinEditAdapter(); }
    void Visit(forms::Splitter&) override { found = &SplitterAdapter(); }
    void Visit(forms::TabSheet&) override { found = &TabSheetAdapter(); }
    void Visit(forms::TreeView&) override { found = &TreeViewAdapter(); }
};

} // namespace

const KindAdapter& AdapterFor(forms::Control& control) {
    AdapterLookup lookup;
    control.Accept(lookup);
    return *lookup.found;
}

QRect KindAdapter::Bounds(forms::Control& control, QWidget* widget) const {
    (void)widget;
    return QRect(control.Left, control.Top, std::max(0, control.Width),
                 std::max(0, control.Height));
}

} // namespace zeph::qtforms
