// The list view: rows of a caption and sub-items under column headers, ticks, selection.
#include "Adapters.h"

#include <zeph/forms/ListView.h>
#include <zeph/qtforms/QtText.h>

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>
#include <memory>
#include <utility>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

void SyncColumns(QTreeWidget& tree, const forms::ListView& model) {
    QStringList headers;
    for (const auto& column : model.Columns) {
        headers << ToQt(column.Caption);
    }
    for (int c = 0; c < static_cast<int>(model.Columns.size()); ++c) {
        if (tree.headerItem()->text(c) != headers[c]) {
            tree.headerItem()->setText(c, headers[c]);
        }
        if (tree.columnWidth(c) != model.Columns[c].Width) {
            tree.setColumnWidth(c, model.Columns[c].Width);
        }
        Qt::Alignment align = model.Columns[c].Alignment == forms::Alignment::Right ? Qt::AlignRight
                              : model.Columns[c].Alignment == forms::Alignment::Center
                                  ? Qt::AlignHCenter
                                  : Qt::AlignLeft;
        tree.headerItem()->setTextAlignment(c, align | Qt::AlignVCenter);
    }
}

void SyncRow(QTreeWidgetItem* row, const forms::ListItem& item, const forms::ListView& model,
             bool report, int columns) {
    for (int c = 0; c < columns; ++c) {
        QString text = c == 0 ? ToQt(item.Caption)
                       : c - 1 < static_cast<int>(item.SubItems.size())
                           ? ToQt(item.SubItems[static_cast<std::size_t>(c - 1)])
                           : QString();
        if (row->text(c) != text) {
            row->setText(c, text);
        }
        if (report && c < static_cast<int>(model.Columns.size()) &&
            model.Columns[static_cast<std::size_t>(c)].Alignment == forms::Alignment::Right) {
            row->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    if (model.Checkboxes) {
        Qt::CheckState state = item.Checked() ? Qt::Checked : Qt::Unchecked;
        if (row->data(0, Qt::CheckStateRole).isNull() || row->checkState(0) != state) {
            row->setCheckState(0, state);
        }
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    }
    if (row->isSelected() != item.Selected()) {
        row->setSelected(item.Selected());
    }
}

void SyncListView(QTreeWidget& tree, const forms::ListView& model) {
    bool report = model.ViewStyle == forms::ViewStyle::Report;
    int columns = report ? std::max<int>(1, static_cast<int>(model.Columns.size())) : 1;
    if (tree.columnCount() != columns) {
        tree.setColumnCount(columns);
    }
    if (report) {
        SyncColumns(tree, model);
    }
    tree.setHeaderHidden(!report || !model.ShowColumnHeaders);
    // Lines between the rows and columns of a report, as the platform's list view draws them.
    const bool grid = report && model.GridLines;
    if (tree.property("zephGridLines").toBool() != grid) {
        tree.setProperty("zephGridLines", grid);
        tree.setStyleSheet(grid ? QStringLiteral("QTreeView::item { border-right: 1px solid "
                                                 "#c0c0c0; border-bottom: 1px solid #c0c0c0; }")
                                : QString());
    }
    tree.setSelectionMode(model.MultiSelect ? QAbstractItemView::ExtendedSelection
                                            : QAbstractItemView::SingleSelection);
    while (tree.topLevelItemCount() > model.Items.Count()) {
        delete tree.takeTopLevelItem(tree.topLevelItemCount() - 1);
    }
    while (tree.topLevelItemCount() < model.Items.Count()) {
        tree.addTopLevelItem(new QTreeWidgetItem);
    }
    for (int i = 0; i < model.Items.Count(); ++i) {
        SyncRow(tree.topLevelItem(i), model.Items[i], model, report, columns);
    }
}

// A tick of a row; toggled keeps the row so that the click that ticked it does not also
// select it.
void ConnectTicks(QTreeWidget* tree, forms::Control* c, Router& router,
                  std::shared_ptr<int> toggled) {
    QObject::connect(tree, &QTreeWidget::itemChanged, tree,
                     [&router, c, tree, toggled](QTreeWidgetItem* item, int column) {
                         auto& view = As<forms::ListView>(c);
                         int row = tree->indexOfTopLevelItem(item);
                         if (column != 0 || !view.Checkboxes || row < 0 ||
                             row >= view.Items.Count() ||
                             (item->checkState(0) == Qt::Checked) == view.Items[row].Checked()) {
                             return;
                         }
                         *toggled = row;
                         bool tick = item->checkState(0) == Qt::Checked;
                         router.Act(c, [c, row, tick](forms::User& user) {
                             auto& v = As<forms::ListView>(c);
                             tick ? user.Tick(v, row) : user.Untick(v, row);
                         });
                     });
}

class ListViewAdapterImpl final : public AdapterOf<forms::ListView> {
public:
    bool ClicksBySignal() const override { return true; }
    void StepByKey(forms::Control& control, QWidget*, int key, Router& router) const override {
        auto* view = &static_cast<forms::ListView&>(control);
        int next = StepIndex(key, view->ItemIndex(), view->Items.Count());
        if (next >= 0 && next != view->ItemIndex()) {
            router.Act(view, [view, next](forms::User& user) { user.Select(*view, next); });
        }
    }

protected:
    QWidget* Make(forms::ListView& control, QWidget* parent, Router& router) const override {
        forms::Control* c = &control;
        auto* tree = new QTreeWidget(parent);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->header()->setStretchLastSection(false);
        tree->setAllColumnsShowFocus(true);
        auto toggled = std::make_shared<int>(-1);
        ConnectTicks(tree, c, router, toggled);
        QObject::connect(tree, &QTreeWidget::itemClicked, tree,
                         [&router, c, tree, toggled](QTreeWidgetItem* item, int) {
                             int row = tree->indexOfTopLevelItem(item);
                             if (std::exchange(*toggled, -1) == row) {
                                 return;
                             }
                             router.Act(c, [c, row](forms::User& user) {
                                 user.Select(As<forms::ListView>(c), row);
                             });
                         });
        QObject::connect(tree, &QTreeWidget::itemDoubleClicked, tree,
                         [&router, c, tree](QTreeWidgetItem* item, int) {
                             int row = tree->indexOfTopLevelItem(item);
                             router.Act(c, [c, row](forms::User& user) {
                                 user.DoubleClick(As<forms::ListView>(c), row);
                             });
                         });
        router.Watch(tree, c);
        router.Watch(tree->viewport(), c);
        return tree;
    }
    void Update(forms::ListView& control, QWidget* widget, Router&) const override {
        SyncListView(*static_cast<QTreeWidget*>(widget), control);
    }
};

} // namespace

const KindAdapter& ListViewAdapter() {
    static const ListViewAdapterImpl adapter;
    return adapter;
}

} // namespace zeph::qtforms
