// A page control and its pages. Controls on a page that is not the active one cannot be
// reached by a person.
#pragma once

#include <zeph/forms/Control.h>

#include <functional>
#include <vector>

namespace zeph::forms {

class PageControl;

class ZEPH_HOST_API TabSheet : public WinControl {
public:
    TabSheet(Component* owner, PageControl& pageControl, std::string name);
    TabSheet(Component& owner, PageControl& pageControl, std::string name)
        : TabSheet(&owner, pageControl, std::move(name)) {}
    ~TabSheet() override;

    std::string Caption;
    // A page with a hidden tab can only be chosen by code.
    bool TabVisible = true;

    // The page control, or nullptr once it is gone.
    PageControl* Pages() const noexcept { return pageControl_; }
    int PageIndex() const;
    bool Active() const;

    const char* KindName() const override { return "TTabSheet"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    bool AcceptsFocus() const override { return false; }

private:
    friend class PageControl;
    PageControl* pageControl_;
};

class ZEPH_HOST_API PageControl : public WinControl {
public:
    using WinControl::WinControl;
    ~PageControl() override;

    std::function<void(PageControl& sender, bool& allowChange)> OnChanging;
    NotifyEvent OnChange;

    int PageCount() const noexcept { return static_cast<int>(pages_.size()); }
    TabSheet& Page(int index) const;
    TabSheet* ActivePage() const noexcept { return active_; }
    int ActivePageIndex() const;
    // By code: no events.
    void SetActivePage(TabSheet* page);
    void SetActivePageIndex(int index);

    const char* KindName() const override { return "TPageControl"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override;

    // A person clicking the tab of page: refused (EUserAction) when its tab is hidden;
    // OnChanging may refuse, then OnChange.
    void UserChoose(TabSheet& page);

private:
    friend class TabSheet;
    std::vector<TabSheet*> pages_;
    TabSheet* active_ = nullptr;
};

} // namespace zeph::forms
