// The list view: rows of a caption and sub-items under column headers (the report style), or
// the captions alone laid out as icons, small icons or a list; ticks, selection.
#include "Adapters.h"

#include <zeph/forms/ListView.h>
#include <zeph/qtforms/QtText.h>

#include <QHeaderView>
#include <QListView>
#include <QPixmap>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <algorithm>
#include <memory>
#include <utility>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

constexpr QSize kLargeIcon(32, 32);
constexpr QSize kSmallIcon(16, 16);
// The room each large icon takes with its caption, as the platform spaces them.
constexpr QSize kIconCell(75, 64);

// Items have no pictures of their own; the icon styles keep the picture's room empty, as the
// platform's list view does without an image list, so captions sit where they would.
class BlankIconDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        auto* view = qobject_cast<const QListView*>(option->widget);
        if (view == nullptr) {
            return;
        }
        QPixmap blank(view->iconSize());
        blank.fill(Qt::transparent);
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->icon = QIcon(blank);
        option->decorationSize = view->iconSize();
    }
};

// The pages of a list view's widget: the report's rows and columns, and the captions alone.
QTreeWidget* ReportOf(QWidget* widget) {
    return static_cast<QTreeWidget*>(static_cast<QStackedWidget*>(widget)->widget(0));
}
QListView* CaptionsOf(QWidget* widget) {
    return static_cast<QListView*>(static_cast<QStackedWidget*>(widget)->widget(1));
}

// Icon: large icons with the caption beneath, in rows from left to right. Small icon: the
// caption right of a small icon, in rows. List: the same in columns from top to bottom.
void SyncLayout(QListView& list, forms::ViewStyle style) {
    const bool icons = style == forms::ViewStyle::Icon;
    const QListView::Flow flow =
        style == forms::ViewStyle::List ? QListView::TopToBottom : QListView::LeftToRight;
    if (list.iconSize() != (icons ? kLargeIcon : kSmallIcon) || list.flow() != flow) {
        list.setViewMode(icons ? QListView::IconMode : QListView::ListMode);
        list.setIconSize(icons ? kLargeIcon : kSmallIcon);
        list.setFlow(flow);
        list.setWrapping(true);
        list.setResizeMode(QListView::Adjust);
        list.setMovement(QListView::Static);
        list.setSpacing(icons ? 0 : 1);
        list.setGridSize(icons ? kIconCell : QSize());
        list.setWordWrap(icons);
        list.setTextElideMode(Qt::ElideRight);
    }
}

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

void SyncRows(QTreeWidget& tree, const forms::ListView& model) {
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

void SyncListView(QWidget* widget, const forms::ListView& model) {
    auto* stack = static_cast<QStackedWidget*>(widget);
    QTreeWidget* tree = ReportOf(widget);
    QListView* list = CaptionsOf(widget);
    SyncRows(*tree, model);
    const bool report = model.ViewStyle == forms::ViewStyle::Report;
    if (!report) {
        SyncLayout(*list, model.ViewStyle);
        list->setSelectionMode(tree->selectionMode());
    }
    QWidget* shown = report ? static_cast<QWidget*>(tree) : list;
    if (stack->currentWidget() != shown) {
        const bool focused = stack->currentWidget()->hasFocus();
        stack->setCurrentWidget(shown);
        stack->setFocusProxy(shown);
        if (focused) {
            shown->setFocus();
        }
    }
}

// The item next to item in the arrow key's direction as the captions lie (rows of icons,
// columns of a list), or item itself when none is there.
int NeighbourIndex(const QListView& list, int item, int key) {
    const QPoint step = key == Qt::Key_Left    ? QPoint(-1, 0)
                        : key == Qt::Key_Right ? QPoint(1, 0)
                        : key == Qt::Key_Up    ? QPoint(0, -1)
                                               : QPoint(0, 1);
    const QRect from = list.visualRect(list.model()->index(item, 0));
    const int reach = 2 * std::max(from.width(), from.height());
    for (int distance = 1; distance <= reach; ++distance) {
        const QModelIndex there = list.indexAt(from.center() + step * distance);
        if (there.isValid() && there.row() != item) {
            return there.row();
        }
    }
    return item;
}

bool IsArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

// A click on a row of either page; toggled keeps the row ticked by the same click.
void ConnectClicks(QAbstractItemView* view, forms::Control* c, Router& router,
                   std::shared_ptr<int> toggled) {
    QObject::connect(
        view, &QAbstractItemView::clicked, view, [&router, c, toggled](const QModelIndex& index) {
            const int row = index.row();
            if (std::exchange(*toggled, -1) == row) {
                return;
            }
            router.Act(c,
                       [c, row](forms::User& user) { user.Select(As<forms::ListView>(c), row); });
        });
    QObject::connect(view, &QAbstractItemView::doubleClicked, view,
                     [&router, c](const QModelIndex& index) {
                         const int row = index.row();
                         router.Act(c, [c, row](forms::User& user) {
                             user.DoubleClick(As<forms::ListView>(c), row);
                         });
                     });
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
    void StepByKey(forms::Control& control, QWidget* widget, int key,
                   Router& router) const override {
        auto* view = &static_cast<forms::ListView&>(control);
        // The arrows go through the captions as they lie; the report's rows are a column.
        const bool laidOut = view->ViewStyle != forms::ViewStyle::Report && IsArrow(key) &&
                             widget != nullptr && view->ItemIndex() >= 0;
        int next = laidOut ? NeighbourIndex(*CaptionsOf(widget), view->ItemIndex(), key)
                           : StepIndex(key, view->ItemIndex(), view->Items.Count());
        if (next >= 0 && next != view->ItemIndex()) {
            router.Act(view, [view, next](forms::User& user) { user.Select(*view, next); });
        }
    }

protected:
    QWidget* Make(forms::ListView& control, QWidget* parent, Router& router) const override {
        forms::Control* c = &control;
        auto* stack = new QStackedWidget(parent);
        auto* tree = new QTreeWidget(stack);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->header()->setStretchLastSection(false);
        tree->setAllColumnsShowFocus(true);
        // The styles without columns show the same rows, selection and ticks.
        auto* list = new QListView(stack);
        list->setModel(tree->model());
        QItemSelectionModel* own = list->selectionModel();
        list->setSelectionModel(tree->selectionModel());
        delete own;
        list->setItemDelegate(new BlankIconDelegate(list));
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        stack->addWidget(tree);
        stack->addWidget(list);
        stack->setFocusProxy(tree);
        auto toggled = std::make_shared<int>(-1);
        ConnectTicks(tree, c, router, toggled);
        ConnectClicks(tree, c, router, toggled);
        ConnectClicks(list, c, router, toggled);
        for (QAbstractItemView* view :
             {static_cast<QAbstractItemView*>(tree), static_cast<QAbstractItemView*>(list)}) {
            router.Watch(view, c);
            router.Watch(view->viewport(), c);
        }
        return stack;
    }
    void Update(forms::ListView& control, QWidget* widget, Router&) const override {
        SyncListView(widget, control);
    }
};

} // namespace

const KindAdapter& ListViewAdapter() {
    static const ListViewAdapterImpl adapter;
    return adapter;
}

} // namespace zeph::qtforms
