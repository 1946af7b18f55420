#include "ControlWidgets.h"

#include "Appearance.h"

#include <zeph/forms/Button.h>
#include <zeph/forms/ComboBox.h>
#include <zeph/forms/DateTimePicker.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/ListBox.h>
#include <zeph/forms/ListView.h>
#include <zeph/forms/PageControl.h>
#include <zeph/forms/ProgressBar.h>
#include <zeph/forms/TreeView.h>
#include <zeph/qtforms/QtText.h>
#include <zeph/text/HostText.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

constexpr const char* kEditPart = "edit";
constexpr int kNodeRole = Qt::UserRole + 1;

// A shape drawn from its brush and pen.
class ShapeWidget final : public QWidget {
public:
    using QWidget::QWidget;
    forms::ShapeType type = forms::ShapeType::Rectangle;
    forms::Brush brush;
    forms::Pen pen;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor penColour = ToQColor(pen.Color).value_or(Qt::black);
        painter.setPen(pen.Width > 0 ? QPen(penColour, pen.Width) : QPen(Qt::NoPen));
        if (brush.Style == forms::BrushStyle::Clear) {
            painter.setBrush(Qt::NoBrush);
        } else {
            painter.setBrush(ToQColor(brush.Color).value_or(Qt::white));
        }
        int w = width() - pen.Width;
        int h = height() - pen.Width;
        using forms::ShapeType;
        if (type == ShapeType::Square || type == ShapeType::RoundSquare ||
            type == ShapeType::Circle) {
            w = h = std::min(w, h);
        }
        QRect r((width() - w) / 2, (height() - h) / 2, w, h);
        switch (type) {
        case ShapeType::Ellipse:
        case ShapeType::Circle:
            painter.drawEllipse(r);
            break;
        case ShapeType::RoundRect:
        case ShapeType::RoundSquare:
            painter.drawRoundedRect(r, std::min(w, h) / 4.0, std::min(w, h) / 4.0);
            break;
        case ShapeType::Rectangle:
        case ShapeType::Square:
            painter.drawRect(r);
            break;
        }
    }
};

// A line edit with pieces at its right end (the arrows of a number field, the "..." button).
class EditWithButtons final : public QFrame {
public:
    EditWithButtons(QWidget* parent, int buttons) : QFrame(parent) {
        edit = new QLineEdit(this);
        edit->setObjectName(kEditPart);
        for (int i = 0; i < buttons; ++i) {
            auto* button = new QToolButton(this);
            button->setFocusPolicy(Qt::NoFocus);
            this->buttons.push_back(button);
        }
    }
    QLineEdit* edit;
    std::vector<QToolButton*> buttons;

protected:
    void resizeEvent(QResizeEvent*) override {
        int h = height();
        int bw = buttons.empty() ? 0 : std::min(h, 18);
        edit->setGeometry(0, 0, width() - bw, h);
        if (buttons.size() == 1) {
            buttons[0]->setGeometry(width() - bw, 0, bw, h);
        } else if (buttons.size() == 2) {
            buttons[0]->setGeometry(width() - bw, 0, bw, h / 2);
            buttons[1]->setGeometry(width() - bw, h / 2, bw, h - h / 2);
        }
    }
};

// A page control: tabs of the pages whose tab shows, above the active page.
class PagesWidget final : public QFrame {
public:
    explicit PagesWidget(QWidget* parent) : QFrame(parent) {
        tabs = new QTabBar(this);
        tabs->setDrawBase(true);
        tabs->setExpanding(false);
        stack = new QStackedWidget(this);
        stack->setFrameShape(QFrame::StyledPanel);
    }
    QTabBar* tabs;
    QStackedWidget* stack;
    std::vector<forms::TabSheet*> tabPages; // the page of each tab

    void Layout() {
        int top = tabs->count() > 0 ? tabs->sizeHint().height() : 0;
        tabs->setVisible(tabs->count() > 0);
        tabs->setGeometry(0, 0, width(), top);
        stack->setGeometry(0, top, width(), height() - top);
    }

protected:
    void resizeEvent(QResizeEvent*) override { Layout(); }
};

// A panel: a raised frame with its caption in the middle, under its controls.
class PanelWidget final : public QFrame {
public:
    explicit PanelWidget(QWidget* parent) : QFrame(parent) {
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        caption = new QLabel(this);
        caption->setAlignment(Qt::AlignCenter);
        caption->setAttribute(Qt::WA_TransparentForMouseEvents);
        caption->lower();
    }
    QLabel* caption;

protected:
    void resizeEvent(QResizeEvent*) override { caption->setGeometry(rect()); }
};

template <typename T>
void SetIfDifferent(T current, T wanted, const std::function<void(T)>& set) {
    if (current != wanted) {
        set(wanted);
    }
}

void SyncLineEdit(QLineEdit& edit, const forms::CustomEdit& model) {
    QString text = ToQt(model.Text());
    if (model.PasswordChar != 0) {
        edit.setEchoMode(QLineEdit::Password);
    }
    if (edit.text() != text) {
        edit.setText(text);
    }
    edit.setReadOnly(model.ReadOnly);
    if (QApplication::mouseButtons() != Qt::NoButton) {
        return; // a selection being dragged is the person's
    }
    int start = CharOffset(model.Text(), model.SelStart());
    int length = CharOffset(model.Text(), model.SelStart() + model.SelLength()) - start;
    bool same = length == 0 ? !edit.hasSelectedText() && edit.cursorPosition() == start
                            : edit.selectionStart() == start && edit.selectionLength() == length;
    if (!same) {
        if (length == 0) {
            edit.deselect();
            edit.setCursorPosition(start);
        } else {
            edit.setSelection(start, length);
        }
    }
}

// Memo text with its line breaks as Qt writes them.
QString MemoText(const std::string& hostText) {
    QString text = ToQt(hostText);
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    return text;
}

void SyncMemo(QPlainTextEdit& edit, const forms::Memo& model) {
    QString text = MemoText(model.Text());
    if (edit.toPlainText() != text) {
        edit.setPlainText(text);
    }
    edit.setReadOnly(model.ReadOnly);
    edit.setLineWrapMode(model.WordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    auto policy = [&](bool on) { return on ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff; };
    using forms::ScrollStyle;
    edit.setVerticalScrollBarPolicy(
        policy(model.ScrollBars == ScrollStyle::Vertical || model.ScrollBars == ScrollStyle::Both));
    edit.setHorizontalScrollBarPolicy(policy(model.ScrollBars == ScrollStyle::Horizontal ||
                                             model.ScrollBars == ScrollStyle::Both));
    if (QApplication::mouseButtons() != Qt::NoButton) {
        return;
    }
    int start = MemoText(model.Text().substr(0, static_cast<std::size_t>(model.SelStart()))).size();
    int end = MemoText(model.Text().substr(
                           0, static_cast<std::size_t>(model.SelStart() + model.SelLength())))
                  .size();
    QTextCursor cursor = edit.textCursor();
    if (cursor.anchor() != start || cursor.position() != end) {
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        edit.setTextCursor(cursor);
    }
}

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

void SyncListBox(QListWidget& list, const forms::ListBox& model) {
    const auto* checks = dynamic_cast<const forms::CheckListBox*>(&model);
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

void SyncListView(QTreeWidget& tree, const forms::ListView& model) {
    bool report = model.ViewStyle == forms::ViewStyle::Report;
    int columns = report ? std::max<int>(1, static_cast<int>(model.Columns.size())) : 1;
    if (tree.columnCount() != columns) {
        tree.setColumnCount(columns);
    }
    QStringList headers;
    for (const auto& column : model.Columns) {
        headers << ToQt(column.Caption);
    }
    if (report) {
        for (int c = 0; c < static_cast<int>(model.Columns.size()); ++c) {
            if (tree.headerItem()->text(c) != headers[c]) {
                tree.headerItem()->setText(c, headers[c]);
            }
            if (tree.columnWidth(c) != model.Columns[c].Width) {
                tree.setColumnWidth(c, model.Columns[c].Width);
            }
            Qt::Alignment align =
                model.Columns[c].Alignment == forms::Alignment::Right    ? Qt::AlignRight
                : model.Columns[c].Alignment == forms::Alignment::Center ? Qt::AlignHCenter
                                                                         : Qt::AlignLeft;
            tree.headerItem()->setTextAlignment(c, align | Qt::AlignVCenter);
        }
    }
    tree.setHeaderHidden(!report || !model.ShowColumnHeaders);
    tree.setSelectionMode(model.MultiSelect ? QAbstractItemView::ExtendedSelection
                                            : QAbstractItemView::SingleSelection);
    while (tree.topLevelItemCount() > model.Items.Count()) {
        delete tree.takeTopLevelItem(tree.topLevelItemCount() - 1);
    }
    while (tree.topLevelItemCount() < model.Items.Count()) {
        tree.addTopLevelItem(new QTreeWidgetItem);
    }
    for (int i = 0; i < model.Items.Count(); ++i) {
        const forms::ListItem& item = model.Items[i];
        QTreeWidgetItem* row = tree.topLevelItem(i);
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
}

QTreeWidgetItem* MakeNodeItem(const forms::TreeNode& node) {
    auto* item = new QTreeWidgetItem;
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(&node)));
    return item;
}

const forms::TreeNode* NodeOf(const QTreeWidgetItem* item) {
    return reinterpret_cast<const forms::TreeNode*>(item->data(0, kNodeRole).value<quintptr>());
}

// The children of item (or the roots) become the nodes given, in order.
void SyncNodes(QTreeWidget& tree, QTreeWidgetItem* parent,
               const std::vector<const forms::TreeNode*>& nodes) {
    auto count = [&] { return parent ? parent->childCount() : tree.topLevelItemCount(); };
    auto child = [&](int i) { return parent ? parent->child(i) : tree.topLevelItem(i); };
    auto take = [&](int i) { return parent ? parent->takeChild(i) : tree.takeTopLevelItem(i); };
    auto insert = [&](int i, QTreeWidgetItem* item) {
        parent ? parent->insertChild(i, item) : tree.insertTopLevelItem(i, item);
    };
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
        const forms::TreeNode* node = nodes[static_cast<std::size_t>(i)];
        if (i >= count() || NodeOf(child(i)) != node) {
            insert(i, MakeNodeItem(*node));
        }
        QTreeWidgetItem* item = child(i);
        QString text = ToQt(node->Text);
        if (item->text(0) != text) {
            item->setText(0, text);
        }
        std::vector<const forms::TreeNode*> children;
        for (int k = 0; k < node->Count(); ++k) {
            children.push_back(&node->Item(k));
        }
        SyncNodes(tree, item, children);
        if (item->isExpanded() != node->Expanded()) {
            item->setExpanded(node->Expanded());
        }
    }
    while (count() > static_cast<int>(nodes.size())) {
        delete take(count() - 1);
    }
}

QTreeWidgetItem* FindNodeItem(QTreeWidget& tree, const forms::TreeNode* node) {
    if (node == nullptr) {
        return nullptr;
    }
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
        if (NodeOf(*it) == node) {
            return *it;
        }
    }
    return nullptr;
}

void SyncTree(QTreeWidget& tree, const forms::TreeView& model) {
    std::vector<const forms::TreeNode*> roots;
    for (int i = 0; i < model.Items.RootCount(); ++i) {
        roots.push_back(&model.Items.Root(i));
    }
    SyncNodes(tree, nullptr, roots);
    tree.setRootIsDecorated(model.ShowRoot);
    QTreeWidgetItem* selected = FindNodeItem(tree, model.Selected());
    // Setting "no current item" explicitly also keeps the view from making its first item
    // current when it takes the focus, which the tree would never hear of.
    if (tree.currentItem() != selected || selected == nullptr) {
        tree.setCurrentItem(selected);
    }
    if (selected == nullptr) {
        tree.clearSelection();
    }
}

// A node of the tree that is still there, by the address its item keeps.
forms::TreeNode* LiveNode(forms::TreeView& tree, const QTreeWidgetItem* item) {
    const forms::TreeNode* wanted = item != nullptr ? NodeOf(item) : nullptr;
    for (forms::TreeNode* node : tree.Items.All()) {
        if (node == wanted) {
            return node;
        }
    }
    return nullptr;
}

void SyncPages(PagesWidget& pages, const forms::PageControl& model, Router& router) {
    std::vector<forms::TabSheet*> shown;
    for (int i = 0; i < model.PageCount(); ++i) {
        forms::TabSheet& page = model.Page(i);
        if (QWidget* w = router.WidgetFor(&page); w != nullptr && pages.stack->indexOf(w) < 0) {
            pages.stack->addWidget(w);
        }
        if (page.TabVisible && page.Visible) {
            shown.push_back(&page);
        }
    }
    bool sameTabs = shown == pages.tabPages;
    for (std::size_t i = 0; sameTabs && i < shown.size(); ++i) {
        sameTabs = pages.tabs->tabText(static_cast<int>(i)) == ToQt(shown[i]->Caption);
    }
    if (!sameTabs) {
        while (pages.tabs->count() > 0) {
            pages.tabs->removeTab(0);
        }
        for (forms::TabSheet* page : shown) {
            pages.tabs->addTab(ToQt(page->Caption));
        }
        pages.tabPages = shown;
        pages.Layout();
    }
    forms::TabSheet* active = model.ActivePage();
    for (int i = 0; i < static_cast<int>(shown.size()); ++i) {
        if (shown[static_cast<std::size_t>(i)] == active && pages.tabs->currentIndex() != i) {
            pages.tabs->setCurrentIndex(i);
        }
    }
    if (active != nullptr) {
        if (QWidget* w = router.WidgetFor(active);
            w != nullptr && pages.stack->currentWidget() != w) {
            pages.stack->setCurrentWidget(w);
        }
    }
    pages.stack->setVisible(active != nullptr);
}

QDateTime ToQDateTime(forms::TDateTime value) {
    forms::DateTimeParts parts = forms::DecodeDateTime(value);
    return QDateTime(QDate(parts.year, parts.month, parts.day),
                     QTime(parts.hour, parts.minute, parts.second, parts.millisecond));
}

forms::TDateTime FromQDateTime(const QDateTime& value) {
    forms::DateTimeParts parts;
    parts.year = value.date().year();
    parts.month = value.date().month();
    parts.day = value.date().day();
    parts.hour = value.time().hour();
    parts.minute = value.time().minute();
    parts.second = value.time().second();
    parts.millisecond = value.time().msec();
    return forms::EncodeDateTime(parts);
}

Qt::Alignment LabelAlignment(forms::Alignment alignment) {
    switch (alignment) {
    case forms::Alignment::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case forms::Alignment::Center:
        return Qt::AlignHCenter | Qt::AlignTop;
    case forms::Alignment::Left:
    default:
        return Qt::AlignLeft | Qt::AlignTop;
    }
}

template <typename T>
T& As(forms::Control* control) {
    return static_cast<T&>(*control);
}

QWidget* CreateTextControl(forms::Control& control, QWidget* parent, Router& router) {
    forms::Control* c = &control;
    if (dynamic_cast<forms::Memo*>(c) != nullptr) {
        auto* memo = new QPlainTextEdit(parent);
        router.Watch(memo, c);
        router.Watch(memo->viewport(), c);
        return memo;
    }
    if (dynamic_cast<forms::SpinEdit*>(c) != nullptr) {
        auto* field = new EditWithButtons(parent, 2);
        field->buttons[0]->setArrowType(Qt::UpArrow);
        field->buttons[1]->setArrowType(Qt::DownArrow);
        for (int i = 0; i < 2; ++i) {
            int steps = i == 0 ? 1 : -1;
            QObject::connect(field->buttons[static_cast<std::size_t>(i)], &QToolButton::clicked,
                             field, [&router, c, steps] {
                                 router.Act(c, [c, steps](forms::User& user) {
                                     user.Spin(As<forms::SpinEdit>(c), steps);
                                 });
                             });
        }
        router.Watch(field->edit, c);
        return field;
    }
    if (dynamic_cast<forms::ButtonEdit*>(c) != nullptr) {
        auto* field = new EditWithButtons(parent, 1);
        QObject::connect(field->buttons[0], &QToolButton::clicked, field, [&router, c] {
            router.Act(c, [c](forms::User& user) { user.ClickButton(As<forms::ButtonEdit>(c)); });
        });
        router.Watch(field->edit, c);
        return field;
    }
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(kEditPart);
    router.Watch(edit, c);
    return edit;
}

QWidget* CreateListControl(forms::Control& control, QWidget* parent, Router& router) {
    forms::Control* c = &control;
    if (auto* model = dynamic_cast<forms::ComboBox*>(c)) {
        auto* box = new QComboBox(parent);
        box->setEditable(model->Style == forms::ComboStyle::DropDown);
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
    if (dynamic_cast<forms::ListBox*>(c) != nullptr) {
        auto* list = new QListWidget(parent);
        auto toggled = std::make_shared<int>(-1);
        QObject::connect(list, &QListWidget::itemChanged, list,
                         [&router, c, list, toggled](QListWidgetItem* item) {
                             auto* checks = dynamic_cast<forms::CheckListBox*>(c);
                             int row = list->row(item);
                             if (checks == nullptr || row < 0 || row >= checks->Items.Count() ||
                                 (item->checkState() == Qt::Checked) == checks->Checked(row)) {
                                 return;
                             }
                             *toggled = row;
                             bool tick = item->checkState() == Qt::Checked;
                             router.Act(c, [c, row, tick](forms::User& user) {
                                 auto& box = As<forms::CheckListBox>(c);
                                 tick ? user.Tick(box, row) : user.Untick(box, row);
                             });
                         });
        QObject::connect(list, &QListWidget::itemClicked, list,
                         [&router, c, list, toggled](QListWidgetItem* item) {
                             int row = list->row(item);
                             if (std::exchange(*toggled, -1) == row) {
                                 return; // the click ticked the item
                             }
                             bool more =
                                 (QApplication::keyboardModifiers() & Qt::ControlModifier) != 0;
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
    if (dynamic_cast<forms::ListView*>(c) != nullptr) {
        auto* tree = new QTreeWidget(parent);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->header()->setStretchLastSection(false);
        tree->setAllColumnsShowFocus(true);
        auto toggled = std::make_shared<int>(-1);
        QObject::connect(
            tree, &QTreeWidget::itemChanged, tree,
            [&router, c, tree, toggled](QTreeWidgetItem* item, int column) {
                auto& view = As<forms::ListView>(c);
                int row = tree->indexOfTopLevelItem(item);
                if (column != 0 || !view.Checkboxes || row < 0 || row >= view.Items.Count() ||
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
    if (dynamic_cast<forms::TreeView*>(c) != nullptr) {
        auto* tree = new QTreeWidget(parent);
        tree->setHeaderHidden(true);
        tree->setExpandsOnDoubleClick(false);
        auto node = [c](QTreeWidgetItem* item) { return LiveNode(As<forms::TreeView>(c), item); };
        QObject::connect(tree, &QTreeWidget::itemClicked, tree,
                         [&router, c, node](QTreeWidgetItem* item, int) {
                             router.Act(c, [c, item, node](forms::User& user) {
                                 if (forms::TreeNode* n = node(item)) {
                                     user.Select(As<forms::TreeView>(c), *n);
                                 }
                             });
                         });
        QObject::connect(tree, &QTreeWidget::itemDoubleClicked, tree,
                         [&router, c, node](QTreeWidgetItem* item, int) {
                             router.Act(c, [c, item, node](forms::User& user) {
                                 if (forms::TreeNode* n = node(item)) {
                                     user.DoubleClick(As<forms::TreeView>(c), *n);
                                 }
                             });
                         });
        for (bool expand : {true, false}) {
            auto signal = expand ? &QTreeWidget::itemExpanded : &QTreeWidget::itemCollapsed;
            QObject::connect(tree, signal, tree, [&router, c, node, expand](QTreeWidgetItem* item) {
                router.Act(c, [c, item, node, expand](forms::User& user) {
                    if (forms::TreeNode* n = node(item)) {
                        auto& t = As<forms::TreeView>(c);
                        expand ? user.Expand(t, *n) : user.Collapse(t, *n);
                    }
                });
            });
        }
        router.Watch(tree, c);
        router.Watch(tree->viewport(), c);
        return tree;
    }
    return nullptr;
}

QWidget* CreateButtonControl(forms::Control& control, QWidget* parent, Router& router) {
    forms::Control* c = &control;
    QAbstractButton* button = nullptr;
    if (dynamic_cast<forms::Button*>(c) != nullptr) {
        auto* push = new QPushButton(parent);
        push->setAutoDefault(false);
        button = push;
    } else if (dynamic_cast<forms::RadioButton*>(c) != nullptr) {
        button = new QRadioButton(parent);
        button->setAutoExclusive(false);
    } else if (dynamic_cast<forms::CheckBox*>(c) != nullptr) {
        button = new QCheckBox(parent);
    } else {
        return nullptr;
    }
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [&router, c] { router.Act(c, [c](forms::User& user) { user.Click(*c); }); });
    router.Watch(button, c);
    return button;
}

} // namespace

QString WithoutAccelerator(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;
        }
        out += caption[i];
    }
    return out;
}

int CharOffset(const std::string& hostText, int byteOffset) {
    std::size_t bytes =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(byteOffset, 0)), hostText.size());
    return static_cast<int>(ToQt(std::string_view(hostText).substr(0, bytes)).size());
}

int ByteOffset(const std::string& hostText, int charOffset) {
    std::size_t i = 0;
    for (int chars = 0; i < hostText.size() && chars < charOffset;) {
        std::size_t length = zeph::text::CharLength(hostText, i);
        chars += static_cast<int>(ToQt(std::string_view(hostText).substr(i, length)).size());
        i += length;
    }
    return static_cast<int>(i);
}

QWidget* CreateControlWidget(forms::Control& control, QWidget* parent, Router& router) {
    forms::Control* c = &control;
    QWidget* widget = nullptr;
    if (dynamic_cast<forms::CustomEdit*>(c) != nullptr) {
        widget = CreateTextControl(control, parent, router);
    } else if (QWidget* list = CreateListControl(control, parent, router)) {
        widget = list;
    } else if (QWidget* button = CreateButtonControl(control, parent, router)) {
        widget = button;
    } else if (dynamic_cast<forms::Label*>(c) != nullptr) {
        widget = new QLabel(parent);
    } else if (dynamic_cast<forms::Shape*>(c) != nullptr) {
        widget = new ShapeWidget(parent);
    } else if (dynamic_cast<forms::PageControl*>(c) != nullptr) {
        auto* pages = new PagesWidget(parent);
        QObject::connect(pages->tabs, &QTabBar::tabBarClicked, pages, [&router, c, pages](int i) {
            if (i < 0 || i >= static_cast<int>(pages->tabPages.size())) {
                return;
            }
            forms::TabSheet* page = pages->tabPages[static_cast<std::size_t>(i)];
            router.Act(c, [c, page](forms::User& user) {
                auto& model = As<forms::PageControl>(c);
                for (int k = 0; k < model.PageCount(); ++k) {
                    if (&model.Page(k) == page) {
                        user.Select(model, *page);
                    }
                }
            });
        });
        // The bar turns to a clicked tab by itself, after the click was asked: the page the
        // control has stays the current tab.
        QObject::connect(pages->tabs, &QTabBar::currentChanged, pages, [c, pages](int i) {
            forms::TabSheet* active = As<forms::PageControl>(c).ActivePage();
            auto it = std::find(pages->tabPages.begin(), pages->tabPages.end(), active);
            int wanted =
                it == pages->tabPages.end() ? -1 : static_cast<int>(it - pages->tabPages.begin());
            if (wanted >= 0 && wanted != i) {
                QSignalBlocker blocker(pages->tabs);
                pages->tabs->setCurrentIndex(wanted);
            }
        });
        router.Watch(pages->tabs, c);
        widget = pages;
    } else if (dynamic_cast<forms::TabSheet*>(c) != nullptr) {
        widget = new QWidget(parent);
    } else if (dynamic_cast<forms::DateTimePicker*>(c) != nullptr) {
        auto* model = static_cast<forms::DateTimePicker*>(c);
        QDateTimeEdit* picker = nullptr;
        if (model->Kind == forms::DateTimeKind::Time) {
            picker = new QTimeEdit(parent);
            picker->setDisplayFormat("HH:mm:ss");
        } else {
            picker = new QDateEdit(parent);
            picker->setCalendarPopup(true);
            picker->setDisplayFormat("yyyy-MM-dd");
        }
        QObject::connect(picker, &QDateTimeEdit::dateTimeChanged, picker,
                         [&router, c](const QDateTime& value) {
                             forms::TDateTime chosen = FromQDateTime(value);
                             router.Act(c, [c, chosen](forms::User& user) {
                                 user.Choose(As<forms::DateTimePicker>(c), chosen);
                             });
                         });
        widget = picker;
    } else if (dynamic_cast<forms::ProgressBar*>(c) != nullptr) {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        widget = bar;
    } else if (dynamic_cast<forms::GroupBox*>(c) != nullptr) {
        widget = new QGroupBox(parent);
    } else if (dynamic_cast<forms::Panel*>(c) != nullptr) {
        widget = new PanelWidget(parent);
    } else if (dynamic_cast<forms::ScrollBox*>(c) != nullptr) {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        widget = frame;
    } else if (dynamic_cast<forms::Splitter*>(c) != nullptr) {
        auto* bar = new QFrame(parent);
        bar->setCursor(Qt::SplitHCursor);
        widget = bar;
    } else {
        widget = new QWidget(parent);
    }
    widget->setObjectName(ToQt(control.Name()));
    router.Watch(widget, c);
    return widget;
}

QWidget* ClientOf(QWidget* widget) {
    if (auto* pages = dynamic_cast<PagesWidget*>(widget)) {
        return pages->stack;
    }
    return widget;
}

void SyncControlWidget(forms::Control& control, QWidget* widget, Router& router) {
    forms::Control* c = &control;
    if (auto* model = dynamic_cast<forms::Memo*>(c)) {
        SyncMemo(*static_cast<QPlainTextEdit*>(widget), *model);
    } else if (auto* edit = dynamic_cast<forms::CustomEdit*>(c)) {
        auto* line = qobject_cast<QLineEdit*>(widget);
        if (line == nullptr) {
            line = widget->findChild<QLineEdit*>(kEditPart);
        }
        SyncLineEdit(*line, *edit);
        if (auto* buttonEdit = dynamic_cast<forms::ButtonEdit*>(c)) {
            auto* field = static_cast<EditWithButtons*>(widget);
            field->buttons[0]->setText(ToQt(buttonEdit->ButtonCaption));
            field->buttons[0]->setToolTip(ToQt(buttonEdit->ButtonHint));
            field->buttons[0]->setEnabled(buttonEdit->ButtonEnabled);
        }
    } else if (auto* combo = dynamic_cast<forms::ComboBox*>(c)) {
        auto* box = static_cast<QComboBox*>(widget);
        SyncItems(*box, combo->Items);
        box->setMaxVisibleItems(std::max(1, combo->DropDownCount));
        if (box->currentIndex() != combo->ItemIndex()) {
            box->setCurrentIndex(combo->ItemIndex());
        }
        if (box->lineEdit() != nullptr && box->lineEdit()->text() != ToQt(combo->Text())) {
            box->lineEdit()->setText(ToQt(combo->Text()));
        }
    } else if (auto* list = dynamic_cast<forms::ListBox*>(c)) {
        SyncListBox(*static_cast<QListWidget*>(widget), *list);
    } else if (auto* view = dynamic_cast<forms::ListView*>(c)) {
        SyncListView(*static_cast<QTreeWidget*>(widget), *view);
    } else if (auto* tree = dynamic_cast<forms::TreeView*>(c)) {
        SyncTree(*static_cast<QTreeWidget*>(widget), *tree);
    } else if (auto* button = dynamic_cast<forms::Button*>(c)) {
        auto* push = static_cast<QPushButton*>(widget);
        if (push->text() != ToQt(button->Caption)) {
            push->setText(ToQt(button->Caption));
        }
        push->setDefault(button->Default);
    } else if (auto* radio = dynamic_cast<forms::RadioButton*>(c)) {
        auto* b = static_cast<QAbstractButton*>(widget);
        b->setText(ToQt(radio->Caption));
        b->setChecked(radio->Checked());
    } else if (auto* check = dynamic_cast<forms::CheckBox*>(c)) {
        auto* b = static_cast<QAbstractButton*>(widget);
        b->setText(ToQt(check->Caption));
        b->setChecked(check->Checked());
    } else if (auto* label = dynamic_cast<forms::Label*>(c)) {
        auto* l = static_cast<QLabel*>(widget);
        QString text = WithoutAccelerator(ToQt(label->Caption()));
        if (l->text() != text) {
            l->setText(text);
        }
        l->setAlignment(LabelAlignment(label->Alignment));
        l->setWordWrap(label->WordWrap);
    } else if (auto* shape = dynamic_cast<forms::Shape*>(c)) {
        auto* s = static_cast<ShapeWidget*>(widget);
        s->type = shape->Type;
        s->brush = shape->Brush;
        s->pen = shape->Pen;
        s->update();
    } else if (auto* pageControl = dynamic_cast<forms::PageControl*>(c)) {
        SyncPages(*static_cast<PagesWidget*>(widget), *pageControl, router);
    } else if (auto* picker = dynamic_cast<forms::DateTimePicker*>(c)) {
        auto* p = static_cast<QDateTimeEdit*>(widget);
        QDateTime value = ToQDateTime(picker->DateTime());
        bool same = picker->Kind == forms::DateTimeKind::Time ? p->time() == value.time()
                                                              : p->date() == value.date();
        if (!same) {
            p->setDateTime(value);
        }
    } else if (auto* progress = dynamic_cast<forms::ProgressBar*>(c)) {
        auto* bar = static_cast<QProgressBar*>(widget);
        bar->setOrientation(progress->Orientation == forms::Orientation::Vertical ? Qt::Vertical
                                                                                  : Qt::Horizontal);
        bar->setRange(progress->Min(), progress->Max());
        bar->setValue(progress->Position());
    } else if (auto* group = dynamic_cast<forms::GroupBox*>(c)) {
        static_cast<QGroupBox*>(widget)->setTitle(ToQt(group->Caption));
    } else if (auto* panel = dynamic_cast<forms::Panel*>(c)) {
        static_cast<PanelWidget*>(widget)->caption->setText(
            WithoutAccelerator(ToQt(panel->Caption)));
    } else if (dynamic_cast<forms::Splitter*>(c) != nullptr) {
        widget->setCursor(c->Width > c->Height ? Qt::SplitVCursor : Qt::SplitHCursor);
    }
}

} // namespace zeph::qtforms
