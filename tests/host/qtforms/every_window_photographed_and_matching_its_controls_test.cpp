// Every window there is (the toolkit's samples and each window class of the plug-in) shown by the
// Qt backend: a PNG of it in the build tree, named after its class, and every widget showing its
// control's text, state and geometry.
#include "PluginWindows.h"
#include "SampleWindows.h"
#include "WidgetChecks.h"

#include <zeph/client/HostServices.h>
#include <zeph/forms/Application.h>
#include <zeph/qtforms/QtBackend.h>

#include <gtest/gtest.h>
#include <support/FakeHostServices.h>

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QTabBar>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace zeph::qtforms::testing {
namespace {

// The toolkit's samples, then every plug-in window that has a maker.
std::vector<PluginWindow> EveryWindow() {
    std::vector<PluginWindow> all{
        {"TfrmToolkitSample", [] { return MadeWindow(new TfrmToolkitSample(nullptr)); }},
        {"TfrmSampleDialog", [] { return MadeWindow(new TfrmSampleDialog(nullptr)); }},
    };
    for (PluginWindow& window : BuildablePluginWindows()) {
        if (window.make) {
            all.push_back(std::move(window));
        }
    }
    return all;
}

class WindowPhotos : public ::testing::Test {
protected:
    void SetUp() override {
        services_ = std::make_shared<zeph::testing::FakeHostServices>();
        InstallHostServices(services_);
        backend_ = std::make_shared<QtBackend>();
        forms::Application()->SetBackend(backend_);
        QDir().mkpath(ZEPH_WINDOW_PHOTOS);
    }
    void TearDown() override {
        forms::Application()->SetBackend(nullptr);
        InstallHostServices(nullptr);
    }

    std::shared_ptr<zeph::testing::FakeHostServices> services_;
    std::shared_ptr<QtBackend> backend_;
};

// Distinct colours of an image: a window drawn with its controls has many, a blank one one.
int Colours(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            seen.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(seen.size());
}

TEST_F(WindowPhotos, EachWindowIsDrawnFromItsControlsAndPhotographedUnderItsClassName) {
    // A window whose constructor wants more than an owner needs a maker in WindowMakers.cpp;
    // a maker whose window is gone is stale.
    std::vector<std::string> classes;
    for (const PluginWindow& window : BuildablePluginWindows()) {
        classes.push_back(window.className);
        EXPECT_TRUE(window.make) << window.className
                                 << ": its constructor wants more than an owner and it has no "
                                    "maker, so it is not photographed";
    }
    for (const PluginWindow& maker : WindowMakers()) {
        EXPECT_TRUE(std::find(classes.begin(), classes.end(), maker.className) != classes.end())
            << maker.className << ": a maker for a window the plug-in does not declare";
    }
    std::vector<PluginWindow> windows = EveryWindow();
    // The toolkit's samples and every plug-in window.
    ASSERT_EQ(windows.size(), 2 + classes.size());
    for (const PluginWindow& entry : windows) {
        SCOPED_TRACE(entry.className);
        MadeWindow form = entry.make();
        ASSERT_EQ(form->ClassName(), entry.className);
        form->Show();
        QApplication::processEvents();
        std::vector<std::string> mismatches = Mismatches(*backend_, *form);
        EXPECT_TRUE(mismatches.empty()) << ::testing::PrintToString(mismatches);
        QPointer<QWidget> window = backend_->WidgetOf(*form);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        QString path =
            QString(ZEPH_WINDOW_PHOTOS) + "/" + QString::fromStdString(entry.className) + ".png";
        QFile::remove(path);
        ASSERT_TRUE(window->grab().save(path, "PNG")) << path.toStdString();
        QImage photo(path);
        ASSERT_FALSE(photo.isNull());
        EXPECT_EQ(photo.width(), form->ClientWidth());
        EXPECT_EQ(photo.height(), form->ClientHeight());
        if (ControlCount(*form) > 0) {
            EXPECT_GT(Colours(photo), 8) << "a window with controls photographed blank";
        }
        form->Close();
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull()) << "the window's widget outlived it";
    }
}

TEST_F(WindowPhotos, HostFontsFallBackToAnInstalledChineseFaceAndSettingsReachTheWidgets) {
    TfrmToolkitSample form(nullptr);
    form.Show();
    QWidget* edit = backend_->WidgetOf(form.edtName);
    ASSERT_NE(edit, nullptr);
    // 宋体 is not installed: the face drawn is a CJK one, at 9 points.
    QFontInfo info(edit->font());
    EXPECT_EQ(edit->font().pointSize(), 9);
    EXPECT_NE(info.family(), QString::fromUtf8("宋体"));
    EXPECT_TRUE(QFontMetrics(edit->font()).inFont(QChar(0x5F20))) << info.family().toStdString();
    // The window sits where its centring rule put it, and its bounds say so.
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.Left, screen.left() + (screen.width() - form.Width) / 2);
    EXPECT_EQ(backend_->WidgetOf(form)->x(), form.Left);
    // A bottom-aligned panel fills the bottom edge, and its bounds say so.
    EXPECT_EQ((std::vector<int>{form.pnlBottom.Left, form.pnlBottom.Top, form.pnlBottom.Width}),
              (std::vector<int>{0, 400 - 40, 640}));
    // A page with a hidden tab is reachable by code only: no tab, but it shows when chosen.
    auto* tabs = backend_->WidgetOf(form.pcPages)->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->count(), 2);
    form.pcPages.SetActivePage(&form.tsHidden);
    backend_->Refresh();
    EXPECT_TRUE(Mismatches(*backend_, form).empty());
    // A stay-on-top dialog without a maximise box.
    form.FormStyle = forms::FormStyle::StayOnTop;
    backend_->Refresh();
    Qt::WindowFlags flags = backend_->WidgetOf(form)->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(backend_->WidgetOf(form.btnDisabled)->testAttribute(Qt::WA_ForceDisabled));
}

} // namespace
} // namespace zeph::qtforms::testing
