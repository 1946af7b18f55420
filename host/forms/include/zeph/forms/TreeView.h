// A tree of nodes, and the host's data-aware tree that builds its levels from code,
// parent-code and caption values of records.
#pragma once

#include <zeph/forms/Control.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zeph::forms {

class TreeView;

class ZEPH_HOST_API TreeNode {
public:
    TreeNode(TreeView& owner, TreeNode* parent, std::string text);
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;

    std::string Text; // host text
    std::string Key;  // the record's code in a data-aware tree
    void* Data = nullptr;

    TreeNode* Parent() const noexcept { return parent_; }
    int Count() const noexcept { return static_cast<int>(children_.size()); }
    bool HasChildren() const noexcept { return !children_.empty(); }
    // Raises std::out_of_range for a bad index.
    TreeNode& Item(int index) const;
    int Index() const;
    int Level() const;
    bool Selected() const;
    bool Expanded() const noexcept { return expanded_; }
    // By code: OnExpanding / OnCollapsing may refuse, then OnExpanded / OnCollapsed.
    void Expand();
    void Collapse();
    TreeView& Owner() const noexcept { return *owner_; }

private:
    friend class TreeNodes;
    friend class TreeView;
    TreeView* owner_;
    TreeNode* parent_;
    std::vector<std::unique_ptr<TreeNode>> children_;
    bool expanded_ = false;
};

class ZEPH_HOST_API TreeNodes {
public:
    explicit TreeNodes(TreeView& owner) : owner_(owner) {}
    TreeNodes(const TreeNodes&) = delete;
    TreeNodes& operator=(const TreeNodes&) = delete;

    // A new last child of parent (nullptr: a new last root).
    TreeNode& AddChild(TreeNode* parent, std::string text);
    TreeNode& Add(std::string text) { return AddChild(nullptr, std::move(text)); }
    void Delete(TreeNode& node);
    void Clear();
    int RootCount() const noexcept { return static_cast<int>(roots_.size()); }
    TreeNode& Root(int index) const;
    // All nodes, depth first.
    int Count() const;
    std::vector<TreeNode*> All() const;
    // The node at an index path (0/2/1: the second child of the third child of the first
    // root), or nullptr.
    TreeNode* AtPath(const std::vector<int>& path) const;
    // The first node (depth first) whose text is equal, or nullptr.
    TreeNode* FindText(std::string_view text) const;

private:
    TreeView& owner_;
    std::vector<std::unique_ptr<TreeNode>> roots_;
};

class ZEPH_HOST_API TreeView : public WinControl {
public:
    TreeView(Component* owner, std::string name);
    TreeView(Component& owner, std::string name) : TreeView(&owner, std::move(name)) {}
    ~TreeView() override;

    bool ReadOnly = false;
    bool HideSelection = true;
    bool ShowRoot = true;
    bool AutoExpand = false;
    TreeNodes Items{*this};

    std::function<void(TreeView& sender, TreeNode* node, bool& allowChange)> OnChanging;
    std::function<void(TreeView& sender, TreeNode* node)> OnChange;
    std::function<void(TreeView& sender, TreeNode& node, bool& allow)> OnExpanding;
    std::function<void(TreeView& sender, TreeNode& node)> OnExpanded;
    std::function<void(TreeView& sender, TreeNode& node, bool& allow)> OnCollapsing;
    std::function<void(TreeView& sender, TreeNode& node)> OnCollapsed;

    TreeNode* Selected() const noexcept { return selected_; }
    // OnChanging may refuse; then OnChange. Code and persons alike, as on the native tree.
    void SetSelected(TreeNode* node);

    const char* KindName() const override { return "TTreeView"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override;

    // A person clicking a node, double-clicking it (OnDblClick, then its children fold out
    // or in), or clicking its fold button.
    void UserClickNode(TreeNode& node);
    void UserDoubleClickNode(TreeNode& node);
    void UserToggleNode(TreeNode& node);

private:
    friend class TreeNodes;
    void NodeDeleting(TreeNode& node);
    TreeNode* selected_ = nullptr;
};

// One record for a data-aware tree: its code, the code of its parent, its caption.
struct TreeRecord {
    std::string code;
    std::string parentCode;
    std::string caption;
};

class ZEPH_HOST_API DataTreeView : public TreeView {
public:
    using TreeView::TreeView;

    // Names of the fields the window reads the records from.
    std::string KeyField;
    std::string ParentField;
    std::string ListField;

    // Rebuilds the tree: a record is a child of the first record whose code equals its parent
    // code (ignoring ASCII case); a record whose parent code names no other record is a root.
    // Records are placed in their order; records caught in a loop of parents become roots,
    // so that none is lost. The node's Key is the record's code.
    void Build(const std::vector<TreeRecord>& records);
    // The first node whose Key equals code ignoring ASCII case, or nullptr.
    TreeNode* FindKey(std::string_view code) const;

    const char* KindName() const override { return "TDataTreeView"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

} // namespace zeph::forms
