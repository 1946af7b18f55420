#include <zeph/forms/PageControl.h>

#include <algorithm>
#include <stdexcept>

namespace zeph::forms {

TabSheet::TabSheet(Component* owner, PageControl& pageControl, std::string name)
    : WinControl(owner, std::move(name)), pageControl_(&pageControl) {
    SetParent(&pageControl);
    pageControl.pages_.push_back(this);
    if (pageControl.active_ == nullptr) {
        pageControl.active_ = this;
    }
}

TabSheet::~TabSheet() {
    if (pageControl_ != nullptr) {
        auto& pages = pageControl_->pages_;
        pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
        if (pageControl_->active_ == this) {
            pageControl_->active_ = pages.empty() ? nullptr : pages.front();
        }
    }
}

int TabSheet::PageIndex() const {
    if (pageControl_ == nullptr) {
        return -1;
    }
    auto& pages = pageControl_->pages_;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

bool TabSheet::Active() const {
    return pageControl_ != nullptr && pageControl_->active_ == this;
}

PageControl::~PageControl() {
    for (TabSheet* page : pages_) {
        page->pageControl_ = nullptr;
    }
}

TabSheet& PageControl::Page(int index) const {
    if (index < 0 || index >= PageCount()) {
        throw std::out_of_range("Page index out of bounds (" + std::to_string(index) + ")");
    }
    return *pages_[static_cast<std::size_t>(index)];
}

int PageControl::ActivePageIndex() const {
    return active_ == nullptr ? -1 : active_->PageIndex();
}

void PageControl::SetActivePage(TabSheet* page) {
    if (page != nullptr && page->Pages() != this) {
        throw EInvalidOperation("The page belongs to another page control");
    }
    active_ = page;
    Invalidate();
}

void PageControl::SetActivePageIndex(int index) {
    SetActivePage(index < 0 ? nullptr : &Page(index));
}

std::string PageControl::Describe() const {
    std::string out;
    for (int i = 0; i < PageCount(); ++i) {
        const TabSheet& page = Page(i);
        out += i == 0 ? "" : " | ";
        out += std::to_string(i) + (page.Active() ? "* " : " ") + page.Caption;
        out += page.TabVisible ? "" : " (tab hidden)";
    }
    return out;
}

void PageControl::UserChoose(TabSheet& page) {
    if (page.Pages() != this) {
        throw EUserAction("The page " + page.Name() + " is not on " + Name());
    }
    if (!page.TabVisible) {
        throw EUserAction("The tab of page " + page.Name() + " is hidden");
    }
    if (active_ == &page) {
        return;
    }
    bool allow = true;
    if (OnChanging) {
        OnChanging(*this, allow);
    }
    if (!allow) {
        return;
    }
    active_ = &page;
    Fire(OnChange);
}

} // namespace zeph::forms
