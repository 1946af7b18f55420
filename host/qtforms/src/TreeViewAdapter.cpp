// The tree view: nodes kept by address in their items, expanded and selected as the tree says.
#include "Adapters.h"

#include <zeph/forms/TreeView.h>
#include <zeph/qtforms/QtText.h>

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <vector>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

constexpr int kNodeRole = Qt::UserRole + 1;

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

void ConnectExpansion(QTreeWidget* tree, forms::Control* c, Router& router) {
    auto node = [c](QTreeWidgetItem* item) { return LiveNode(As<forms::TreeView>(c), item); };
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
}

QTreeWidget* MakeTree(forms::Control* c, QWidget* parent, Router& router) {
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
    ConnectExpansion(tree, c, router);
    router.Watch(tree, c);
    router.Watch(tree->viewport(), c);
    return tree;
}

// The arrows walk the rows as the widget shows them; left and right fold and unfold.
void StepThroughTree(QTreeWidget* widget, int key) {
    QTreeWidgetItem* current = widget->currentItem();
    QTreeWidgetItem* next = nullptr;
    if (key == Qt::Key_Up && current != nullptr) {
        next = widget->itemAbove(current);
    } else if (key == Qt::Key_Down) {
        next = current == nullptr ? widget->topLevelItem(0) : widget->itemBelow(current);
    } else if ((key == Qt::Key_Left || key == Qt::Key_Right) && current != nullptr) {
        current->setExpanded(key == Qt::Key_Right); // the expand signals ask the tree
        return;
    } else {
        return;
    }
    if (next != nullptr) {
        emit widget->itemClicked(next, 0);
    }
}

template <typename T>
class TreeViewAdapterOf final : public AdapterOf<T> {
public:
    bool ClicksBySignal() const override { return true; }
    void StepByKey(forms::Control&, QWidget* widget, int key, Router&) const override {
        StepThroughTree(static_cast<QTreeWidget*>(widget), key);
    }

protected:
    QWidget* Make(T& control, QWidget* parent, Router& router) const override {
        return MakeTree(&control, parent, router);
    }
    void Update(T& control, QWidget* widget, Router&) const override {
        SyncTree(*static_cast<QTreeWidget*>(widget), control);
    }
};

} // namespace

const KindAdapter& TreeViewAdapter() {
    static const TreeViewAdapterOf<forms::TreeView> adapter;
    return adapter;
}

const KindAdapter& DataTreeViewAdapter() {
    static const TreeViewAdapterOf<forms::DataTreeView> adapter;
    return adapter;
}

} // namespace zeph::qtforms
