// The page control and its pages: tabs of the pages whose tab shows, above the active page.
#include "Adapters.h"

#include <zeph/forms/PageControl.h>
#include <zeph/qtforms/QtText.h>

#include <QFrame>
#include <QStackedWidget>
#include <QTabBar>
#include <algorithm>
#include <vector>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

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

void SyncTabs(PagesWidget& pages, const std::vector<forms::TabSheet*>& shown) {
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
    SyncTabs(pages, shown);
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

class PageControlAdapterImpl final : public AdapterOf<forms::PageControl> {
public:
    bool ClicksBySignal() const override { return true; }
    bool PlacesChildren() const override { return true; }
    QWidget* ClientOf(QWidget* widget) const override {
        return static_cast<PagesWidget*>(widget)->stack;
    }

protected:
    QWidget* Make(forms::PageControl& control, QWidget* parent, Router& router) const override {
        forms::Control* c = &control;
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
        return pages;
    }
    void Update(forms::PageControl& control, QWidget* widget, Router& router) const override {
        SyncPages(*static_cast<PagesWidget*>(widget), control, router);
    }
};

// A page: its page control's stack sizes and shows it.
class TabSheetAdapterImpl final : public AdapterOf<forms::TabSheet> {
public:
    bool PlacedByContainer() const override { return true; }

protected:
    QWidget* Make(forms::TabSheet&, QWidget* parent, Router&) const override {
        return new QWidget(parent);
    }
    void Update(forms::TabSheet&, QWidget*, Router&) const override {}
};

} // namespace

const KindAdapter& PageControlAdapter() {
    static const PageControlAdapterImpl adapter;
    return adapter;
}

const KindAdapter& TabSheetAdapter() {
    static const TabSheetAdapterImpl adapter;
    return adapter;
}

} // namespace zeph::qtforms
