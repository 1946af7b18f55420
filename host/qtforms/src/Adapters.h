// The adapter of each kind of control, by family: texts, lists, views, buttons, pages and the
// plain controls. AdapterFor (AdapterTable.cpp) chooses among them.
#pragma once

#include "KindAdapter.h"

namespace zeph::qtforms {

// TextAdapters.cpp
const KindAdapter& EditAdapter();
const KindAdapter& LabeledEditAdapter();
const KindAdapter& MemoAdapter();
const KindAdapter& SpinEditAdapter();
const KindAdapter& ButtonEditAdapter();

// ListAdapters.cpp
const KindAdapter& ListBoxAdapter();
const KindAdapter& CheckListBoxAdapter();
const KindAdapter& ComboBoxAdapter();
// The item an arrow or page key moves to from current among count items, or -2 for a key
// that does not move.
int StepIndex(int key, int current, int count);

// ListViewAdapter.cpp, TreeViewAdapter.cpp
const KindAdapter& ListViewAdapter();
const KindAdapter& TreeViewAdapter();
const KindAdapter& DataTreeViewAdapter();

// ButtonAdapters.cpp
const KindAdapter& ButtonAdapter();
const KindAdapter& RadioButtonAdapter();
const KindAdapter& CheckBoxAdapter();

// PageAdapters.cpp
const KindAdapter& PageControlAdapter();
const KindAdapter& TabSheetAdapter();

// DateTimePickerAdapter.cpp
const KindAdapter& DateTimePickerAdapter();

// PlainAdapters.cpp
const KindAdapter& LabelAdapter();
const KindAdapter& ShapeAdapter();
const KindAdapter& ProgressBarAdapter();
const KindAdapter& PanelAdapter();
const KindAdapter& GroupBoxAdapter();
const KindAdapter& ScrollBoxAdapter();
const KindAdapter& SplitterAdapter();
const KindAdapter& FormAdapter();

} // namespace zeph::qtforms
