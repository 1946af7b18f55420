#include <zeph/forms/TreeView.h>

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

namespace zeph::forms {

TreeNode::TreeNode(TreeView& owner, TreeNode* parent, std::string text)
    : Text(std::move(text)), owner_(&owner), parent_(parent) {}

TreeNode& TreeNode::Item(int index) const {
    if (index < 0 || index >= Count()) {
        throw std::out_of_range("Tree node index out of bounds (" + std::to_string(index) + ")");
    }
    return *children_[static_cast<std::size_t>(index)];
}

int TreeNode::Index() const {
    if (parent_ != nullptr) {
        for (int i = 0; i < parent_->Count(); ++i) {
            if (&parent_->Item(i) == this) {
                return i;
            }
        }
        return -1;
    }
    for (int i = 0; i < owner_->Items.RootCount(); ++i) {
        if (&owner_->Items.Root(i) == this) {
            return i;
        }
    }
    return -1;
}

int TreeNode::Level() const {
    int level = 0;
    for (TreeNode* p = parent_; p != nullptr; p = p->parent_) {
        ++level;
    }
    return level;
}

bool TreeNode::Selected() const {
    return owner_->Selected() == this;
}

void TreeNode::Expand() {
    if (expanded_ || !HasChildren()) {
        return;
    }
    bool allow = true;
    if (owner_->OnExpanding) {
        owner_->OnExpanding(*owner_, *this, allow);
    }
    if (!allow) {
        return;
    }
    expanded_ = true;
    if (owner_->OnExpanded) {
        owner_->OnExpanded(*owner_, *this);
    }
}

void TreeNode::Collapse() {
    if (!expanded_) {
        return;
    }
    bool allow = true;
    if (owner_->OnCollapsing) {
        owner_->OnCollapsing(*owner_, *this, allow);
    }
    if (!allow) {
        return;
    }
    expanded_ = false;
    if (owner_->OnCollapsed) {
        owner_->OnCollapsed(*owner_, *this);
    }
}

TreeNode& TreeNodes::AddChild(TreeNode* parent, std::string text) {
    auto node = std::make_unique<TreeNode>(owner_, parent, std::move(text));
    TreeNode& ref = *node;
    if (parent != nullptr) {
        parent->children_.push_back(std::move(node));
    } else {
        roots_.push_back(std::move(node));
    }
    return ref;
}

void TreeNodes::Delete(TreeNode& node) {
    owner_.NodeDeleting(node);
    auto& siblings = node.parent_ != nullptr ? node.parent_->children_ : roots_;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (it->get() == &node) {
            siblings.erase(it);
            return;
        }
    }
}

void TreeNodes::Clear() {
    for (const auto& root : roots_) {
        owner_.NodeDeleting(*root);
    }
    roots_.clear();
}

TreeNode& TreeNodes::Root(int index) const {
    if (index < 0 || index >= RootCount()) {
        throw std::out_of_range("Tree node index out of bounds (" + std::to_string(index) + ")");
    }
    return *roots_[static_cast<std::size_t>(index)];
}

namespace {
void Collect(const TreeNode& node, std::vector<TreeNode*>& out) {
    out.push_back(const_cast<TreeNode*>(&node));
    for (int i = 0; i < node.Count(); ++i) {
        Collect(node.Item(i), out);
    }
}
} // namespace

std::vector<TreeNode*> TreeNodes::All() const {
    std::vector<TreeNode*> out;
    for (const auto& root : roots_) {
        Collect(*root, out);
    }
    return out;
}

int TreeNodes::Count() const {
    return static_cast<int>(All().size());
}

TreeNode* TreeNodes::AtPath(const std::vector<int>& path) const {
    if (path.empty() || path[0] < 0 || path[0] >= RootCount()) {
        return nullptr;
    }
    TreeNode* node = roots_[static_cast<std::size_t>(path[0])].get();
    for (std::size_t i = 1; i < path.size(); ++i) {
        if (path[i] < 0 || path[i] >= node->Count()) {
            return nullptr;
        }
        node = &node->Item(path[i]);
    }
    return node;
}

TreeNode* TreeNodes::FindText(std::string_view text) const {
    for (TreeNode* node : All()) {
        if (node->Text == text) {
            return node;
        }
    }
    return nullptr;
}

TreeView::TreeView(Component* owner, std::string name) : WinControl(owner, std::move(name)) {
    Width = 121;
    Height = 97;
    TabStop = true;
    Color = clWindow;
}

TreeView::~TreeView() {
    selected_ = nullptr;
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TreeView::NodeDeleting(TreeNode& node) {
    if (selected_ == nullptr) {
        return;
    }
    for (TreeNode* p = selected_; p != nullptr; p = p->Parent()) {
        if (p == &node) {
            // The native tree moves no selection onto another node here: it reports none.
            selected_ = nullptr;
            if (OnChange) {
                OnChange(*this, nullptr);
            }
            return;
        }
    }
}

void TreeView::SetSelected(TreeNode* node) {
    if (node == selected_) {
        return;
    }
    bool allow = true;
    if (OnChanging) {
        OnChanging(*this, node, allow);
    }
    if (!allow) {
        return;
    }
    selected_ = node;
    // Selecting a node shows it: its parents fold out.
    for (TreeNode* p = node != nullptr ? node->Parent() : nullptr; p != nullptr; p = p->Parent()) {
        p->expanded_ = true;
    }
    if (OnChange) {
        OnChange(*this, node);
    }
}

std::string TreeView::Describe() const {
    std::string out;
    for (TreeNode* node : Items.All()) {
        if (!out.empty()) {
            out += " | ";
        }
        out += std::string(static_cast<std::size_t>(node->Level()) * 2, '.');
        out += node->Selected() ? "*" : "";
        out += node->Text;
    }
    return out;
}

void TreeView::UserClickNode(TreeNode& node) {
    SetSelected(&node);
    Fire(OnClick);
}

void TreeView::UserDoubleClickNode(TreeNode& node) {
    SetSelected(&node);
    Fire(OnClick);
    Fire(OnDblClick);
    // The handler may have rebuilt the tree; fold only a node that is still there.
    for (TreeNode* n : Items.All()) {
        if (n == &node) {
            UserToggleNode(node);
            break;
        }
    }
}

void TreeView::UserToggleNode(TreeNode& node) {
    if (node.Expanded()) {
        node.Collapse();
    } else {
        node.Expand();
    }
}

void DataTreeView::Build(const std::vector<TreeRecord>& records) {
    Items.Clear();
    std::unordered_map<std::string, std::size_t> byCode;
    for (std::size_t i = 0; i < records.size(); ++i) {
        byCode.emplace(zeph::text::UpperCase(records[i].code), i);
    }
    std::vector<long> parentOf(records.size(), -1);
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto it = byCode.find(zeph::text::UpperCase(records[i].parentCode));
        if (it != byCode.end() && it->second != i) {
            parentOf[i] = static_cast<long>(it->second);
        }
    }
    // A chain of parents that comes back to itself has no root: the earliest record of the
    // loop becomes one.
    std::vector<char> state(records.size(), 0); // 0 new, 1 on the current chain, 2 settled
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::vector<std::size_t> chain;
        long p = static_cast<long>(i);
        while (p >= 0 && state[static_cast<std::size_t>(p)] == 0) {
            state[static_cast<std::size_t>(p)] = 1;
            chain.push_back(static_cast<std::size_t>(p));
            p = parentOf[static_cast<std::size_t>(p)];
        }
        if (p >= 0 && state[static_cast<std::size_t>(p)] == 1) {
            auto from = std::find(chain.begin(), chain.end(), static_cast<std::size_t>(p));
            parentOf[*std::min_element(from, chain.end())] = -1;
        }
        for (std::size_t c : chain) {
            state[c] = 2;
        }
    }
    std::vector<std::vector<std::size_t>> children(records.size());
    std::vector<std::size_t> roots;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (parentOf[i] < 0) {
            roots.push_back(i);
        } else {
            children[static_cast<std::size_t>(parentOf[i])].push_back(i);
        }
    }
    struct Pending {
        std::size_t record;
        TreeNode* parent;
    };
    std::vector<Pending> stack;
    for (auto it = roots.rbegin(); it != roots.rend(); ++it) {
        stack.push_back({*it, nullptr});
    }
    // Depth first, so that each parent's children keep the records' order.
    std::vector<TreeNode*> nodeOf(records.size(), nullptr);
    while (!stack.empty()) {
        Pending next = stack.back();
        stack.pop_back();
        TreeNode& node = Items.AddChild(next.parent, records[next.record].caption);
        node.Key = records[next.record].code;
        nodeOf[next.record] = &node;
        const auto& kids = children[next.record];
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
            stack.push_back({*it, &node});
        }
    }
}

TreeNode* DataTreeView::FindKey(std::string_view code) const {
    for (TreeNode* node : Items.All()) {
        if (zeph::text::SameText(node->Key, code)) {
            return node;
        }
    }
    return nullptr;
}

} // namespace zeph::forms
