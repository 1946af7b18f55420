// Lists of texts: the list box, the check list and the drop-down.
#include "Adapters.h"

#include <zeph/forms/ComboBox.h>
#include <zeph/forms/ListBox.h>
#include <zeph/qtforms/QtText.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>
#include <memory>
#include <utility>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

void SyncItems(QComboBox& box, const forms::Strings& items) {
    bool same = box.count() == items.Count();
    for (int i = 0; same && i < items.Count(); ++i) {
        same = box.itemText(i) == ToQt(items[i]);
    }
    if (!same) {
        box.clear();
        for (const std::string& item : items) {
            box.addItem(ToQt(item));
        }
    }
}

// checks: the model when it is a check list, which ticks and greys its items.
void SyncListBox(QListWidget& list, const forms::ListBox& model,
                 const forms::CheckListBox* checks) {
    while (list.count() > model.Items.Count()) {
        delete list.takeItem(list.count() - 1);
    }
    while (list.count() < model.Items.Count()) {
        list.addItem(QString());
    }
    list.setSelectionMode(!model.MultiSelect     ? QAbstractItemView::SingleSelection
                          : model.ExtendedSelect ? QAbstractItemView::ExtendedSelection
                                                 : QAbstractItemView::MultiSelection);
    for (int i = 0; i < model.Items.Count(); ++i) {
        QListWidgetItem* item = list.item(i);
        QString text = ToQt(model.Items[i]);
        if (item->text() != text) {
            item->setText(text);
        }
        Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        if (checks != nullptr) {
            flags |= Qt::ItemIsUserCheckable;
            if (!checks->ItemEnabled(i)) {
                flags &= ~Qt::ItemIsEnabled;
            }
            Qt::CheckState state = checks->Checked(i) ? Qt::Checked : Qt::Unchecked;
            if (item->data(Qt::CheckStateRole).isNull() || item->checkState() != state) {
                item->setCheckState(state);
            }
        }
        if (item->flags() != flags) {
            item->setFlags(flags);
        }
        if (item->isSelected() != model.Selected(i)) {
            item->setSelected(model.Selected(i));
        }
    }
    if (list.currentRow() != model.ItemIndex()) {
        list.setCurrentRow(model.ItemIndex(), QItemSelectionModel::NoUpdate);
    }
}

// A tick of a check list's item; toggled keeps the row so that the click that ticked it
// does not also select it.
void ConnectTicks(QListWidget* list, forms::Control* c, Router& router,
                  std::shared_ptr<int> toggled) {
    QObject::connect(list, &QListWidget::itemChanged, list,
                     [&router, c, list, toggled](QListWidgetItem* item) {
                         auto& checks = As<forms::CheckListBox>(c);
                         int row = list->row(item);
                         if (row < 0 || row >= checks.Items.Count() ||
                             (item->checkState() == Qt::Checked) == checks.Checked(row)) {
                             return;
                         }
                         *toggled = row;
                         bool tick = item->checkState() == Qt::Checked;
                         router.Act(c, [c, row, tick](forms::User& user) {
                             auto& box = As<forms::CheckListBox>(c);
                             tick ? user.Tick(box, row) : user.Untick(box, row);
                         });
                     });
}

QListWidget* MakeList(forms::Control* c, QWidget* parent, Router& router, bool ticks) {
    auto* list = new QListWidget(parent);
    auto toggled = std::make_shared<int>(-1);
    if (ticks) {
        ConnectTicks(list, c, router, toggled);
    }
    QObject::connect(list, &QListWidget::itemClicked, list,
                     [&router, c, list, toggled](QListWidgetItem* item) {
                         int row = list->row(item);
                         if (std::exchange(*toggled, -1) == row) {
                             return; // the click ticked the item
                         }
                         bool more = (QApplication::keyboardModifiers() & Qt::ControlModifier) != 0;
                         router.Act(c, [c, row, more](forms::User& user) {
                             auto& box = As<forms::ListBox>(c);
                             more ? user.SelectMore(box, row) : user.Select(box, row);
                         });
                     });
    QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                     [&router, c, list](QListWidgetItem* item) {
                         int row = list->row(item);
                         router.Act(c, [c, row](forms::User& user) {
                             user.DoubleClick(As<forms::ListBox>(c), row);
                         });
                     });
    router.Watch(list, c);
    return list;
}

template <typename T>
class ListBoxAdapterOf final : public AdapterOf<T> {
public:
    static constexpr bool kTicks = std::is_same_v<T, forms::CheckListBox>;

    bool ClicksBySignal() const override { return true; }
    void StepByKey(forms::Control& control, QWidget*, int key, Router& router) const override {
        auto* list = &static_cast<forms::ListBox&>(control);
        int next = StepIndex(key, list->ItemIndex(), list->Items.Count());
        if (next >= 0 && next != list->ItemIndex()) {
            router.Act(list, [list, next](forms::User& user) { user.Select(*list, next); });
        }
    }

protected:
    QWidget* Make(T& control, QWidget* parent, Router& router) const override {
        return MakeList(&control, parent, router, kTicks);
    }
    void Update(T& control, QWidget* widget, Router&) const override {
        const forms::CheckListBox* checks = nullptr;
        if constexpr (kTicks) {
            checks = &control;
        }
        SyncListBox(*static_cast<QListWidget*>(widget), control, checks);
    }
};

class ComboBoxAdapterImpl final : public AdapterOf<forms::ComboBox> {
public:
    bool ClicksBySignal() const override { return true; }
    bool TakesText() const override { return true; }
    bool LeavesKeyToWidget(int key, Qt::KeyboardModifiers modifiers) const override {
        return key == Qt::Key_F4 || ((modifiers & Qt::AltModifier) != 0 && key == Qt::Key_Down);
    }

protected:
    QWidget* Make(forms::ComboBox& model, QWidget* parent, Router& router) const override {
        forms::Control* c = &model;
        auto* box = new QComboBox(parent);
        box->setEditable(model.Style == forms::ComboStyle::DropDown);
        box->setInsertPolicy(QComboBox::NoInsert);
        QObject::connect(box, &QComboBox::activated, box, [&router, c](int index) {
            router.Act(
                c, [c, index](forms::User& user) { user.Select(As<forms::ComboBox>(c), index); });
        });
        router.Watch(box, c);
        if (box->lineEdit() != nullptr) {
            router.Watch(box->lineEdit(), c);
        }
        return box;
    }
    void Update(forms::ComboBox& combo, QWidget* widget, Router&) const override {
        auto* box = static_cast<QComboBox*>(widget);
        SyncItems(*box, combo.Items);
        box->setMaxVisibleItems(std::max(1, combo.DropDownCount));
        if (box->currentIndex() != combo.ItemIndex()) {
            box->setCurrentIndex(combo.ItemIndex());
        }
        if (box->lineEdit() != nullptr && box->lineEdit()->text() != ToQt(combo.Text())) {
            box->lineEdit()->setText(ToQt(combo.Text()));
        }
    }
};

} // namespace

int StepIndex(int key, int current, int count) {
    switch (key) {
    case Qt::Key_Up:
        return std::max(0, current - 1);
    case Qt::Key_Down:
        return std::min(count - 1, current + 1);
    case Qt::Key_Home:
        return 0;
    case Qt::Key_End:
        return count - 1;
    case Qt::Key_PageUp:
        return std::max(0, current - 10);
    case Qt::Key_PageDown:
        return std::min(count - 1, current + 10);
    default:
        return -2;
    }
}

const KindAdapter& ListBoxAdapter() {
    static const ListBoxAdapterOf<forms::ListBox> adapter;
    return adapter;
}

const KindAdapter& CheckListBoxAdapter() {
    static const ListBoxAdapterOf<forms::CheckListBox> adapter;
    return adapter;
}

const KindAdapter& ComboBoxAdapter() {
    static const ComboBoxAdapterImpl adapter;
    return adapter;
}

} // namespace zeph::qtforms
