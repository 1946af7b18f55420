// A list view in report style: columns, items with sub-items, optional check boxes.
#pragma once

#include <zeph/forms/Control.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zeph::forms {

class ListView;

class ZEPH_HOST_API ListItem {
public:
    explicit ListItem(ListView& owner) : owner_(&owner) {}
    ListItem(const ListItem&) = delete;
    ListItem& operator=(const ListItem&) = delete;

    std::string Caption;               // host text of the first column
    std::vector<std::string> SubItems; // texts of the further columns
    void* Data = nullptr;

    bool Checked() const noexcept { return checked_; }
    // A change fires the view's OnItemChecked, also when code makes it (as the native view
    // reports every state change).
    void SetChecked(bool checked);
    bool Selected() const noexcept { return selected_; }
    // A change fires the view's OnSelectItem.
    void SetSelected(bool selected);
    int Index() const;
    ListView& Owner() const noexcept { return *owner_; }

private:
    ListView* owner_;
    bool checked_ = false;
    bool selected_ = false;
};

class ZEPH_HOST_API ListItems {
public:
    explicit ListItems(ListView& owner) : owner_(owner) {}
    ListItems(const ListItems&) = delete;
    ListItems& operator=(const ListItems&) = delete;

    ListItem& Add();
    // A new item at index (0 puts it at the top).
    ListItem& Insert(int index);
    void Delete(int index);
    void Clear();
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    // Raises std::out_of_range for a bad index.
    ListItem& operator[](int index) const;
    int IndexOf(const ListItem& item) const;

private:
    ListView& owner_;
    std::vector<std::unique_ptr<ListItem>> items_;
};

struct ListColumn {
    std::string Caption;
    int Width = 50;
    forms::Alignment Alignment = forms::Alignment::Left;
    bool AutoSize = false;
};

enum class ViewStyle { Icon, SmallIcon, List, Report };

class ZEPH_HOST_API ListView : public WinControl {
public:
    ListView(Component* owner, std::string name);
    ListView(Component& owner, std::string name) : ListView(&owner, std::move(name)) {}
    ~ListView() override;

    forms::ViewStyle ViewStyle = forms::ViewStyle::Icon;
    bool Checkboxes = false;
    bool RowSelect = false;
    bool GridLines = false;
    bool ReadOnly = false;
    bool MultiSelect = false;
    bool HideSelection = true;
    bool ShowColumnHeaders = true;
    std::vector<ListColumn> Columns;
    ListItems Items{*this};

    std::function<void(ListView& sender, ListItem& item, bool selected)> OnSelectItem;
    std::function<void(ListView& sender, ListItem& item)> OnItemChecked;

    ListColumn& AddColumn(std::string caption, int width,
                          forms::Alignment alignment = forms::Alignment::Left);
    // The first selected item, or nullptr; setting selects it alone (nullptr clears).
    ListItem* Selected() const;
    void SetSelected(ListItem* item);
    int ItemIndex() const;
    void SetItemIndex(int index);

    const char* KindName() const override { return "TListView"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override;
    // Space toggles the tick of the focused item.
    void DefaultKeyChar(char key) override;

    // A person clicking on item index (its row), on its check box, or double-clicking it
    // (which also toggles a check box, as the native view does).
    void UserClickItem(int index);
    void UserToggle(int index);
    void UserDoubleClickItem(int index);

private:
    friend class ListItem;
    friend class ListItems;
    void ItemCheckedChanged(ListItem& item);
    void ItemSelectedChanged(ListItem& item);
    bool clearing_ = false;
};

} // namespace zeph::forms
