// The entry point's lifetime rules, through a host that loads the built library.
#include "support/PluginHost.h"

#include <zeph/client/Delivery.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Dialogs.h>
#include <zeph/forms/Form.h>

#include <gtest/gtest.h>

namespace {

using zeph::Variant;
using zeph::testing::Edition;
using zeph::testing::PluginHost;

class ShowMorvaneTest : public ::testing::TestWithParam<Edition> {};

TEST_P(ShowMorvaneTest, SecondCallKeepsWindowAndApplicationHandle) {
    PluginHost host(GetParam());
    std::uint32_t first = host.ShowMorvane(1111);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(zeph::forms::Application()->Handle(), 1111u);
    EXPECT_EQ(host.ShowMorvane(2222), first);
    EXPECT_EQ(zeph::forms::Application()->Handle(), 1111u);
}

TEST_P(ShowMorvaneTest, MainWindowCarriesItsResourceSettings) {
    PluginHost host(GetParam());
    auto* form = zeph::forms::Form::FromHandle(host.ShowMorvane(1));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption, "InterFacefrmMain");
    EXPECT_EQ(form->Left, 373);
    EXPECT_EQ(form->Top, 220);
    EXPECT_EQ(form->Width, 204);
    EXPECT_EQ(form->Height, 103);
    EXPECT_EQ(form->FontName, "MS Sans Serif");
    EXPECT_FALSE(form->Visible);
    EXPECT_NE(form->FindComponent("ZephClient"), nullptr);
}

TEST_P(ShowMorvaneTest, ClosedMainWindowIsReplacedByANewOne) {
    PluginHost host(GetParam());
    std::uint32_t first = host.ShowMorvane(1);
    ASSERT_TRUE(zeph::CloseWindow(first));
    EXPECT_EQ(zeph::forms::Form::FromHandle(first), nullptr) << "the window frees itself";
    std::uint32_t second = host.ShowMorvane(1);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(host.CallWords({"CHECK_STAFF_QUERY", "x"})[1].AsText(), "x");
}

TEST_P(ShowMorvaneTest, FailedCreationReturnsZeroAndALaterCallRetries) {
    PluginHost host(GetParam());
    zeph::forms::FailNextWindowCreations(1);
    EXPECT_EQ(host.ShowMorvane(9), 0u);
    std::uint32_t handle = host.ShowMorvane(9);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(host.CallWords({"CHECK_STAFF_QUERY", "ok"})[1].AsText(), "ok");
    EXPECT_EQ(host.ShowMorvane(9), handle);
}

TEST_P(ShowMorvaneTest, MainWindowOwnsTheComponentsOfItsEdition) {
    PluginHost host(GetParam());
    auto* form = zeph::forms::Form::FromHandle(host.ShowMorvane(1));
    ASSERT_NE(form, nullptr);
    for (const char* name : {"ZephClient", "sd", "hprSendBulletin", "hprSendNote", "cdsIPPort",
                             "cdsBulletinType", "cdsBulletinCallCause", "cdsStaff", "cdsGroup"}) {
        EXPECT_NE(form->FindComponent(name), nullptr) << name;
    }
    bool full = GetParam() == Edition::Full;
    for (const char* name : {"SaveDialog", "ZephExportToXLS", "ZephExportToExcel"}) {
        EXPECT_EQ(form->FindComponent(name) != nullptr, full) << name;
    }
    auto* sd = dynamic_cast<zeph::forms::SaveDialog*>(form->FindComponent("sd"));
    ASSERT_NE(sd, nullptr);
    EXPECT_EQ(sd->DefaultExt, ".xls");
    EXPECT_EQ(zeph::text::GbkToUtf8(sd->Filter), "Excel文件|*.xls");
}

TEST_P(ShowMorvaneTest, UnloadRestoresTheRecordedApplicationAndFreesTheWindow) {
    zeph::forms::TApplication* original = zeph::forms::Application();
    zeph::forms::TApplication other;
    std::uint32_t handle = 0;
    {
        PluginHost host(GetParam());
        handle = host.ShowMorvane(5);
        zeph::forms::SetApplication(&other);
    }
    EXPECT_EQ(zeph::forms::Application(), original);
    EXPECT_EQ(zeph::forms::Form::FromHandle(handle), nullptr);
}

TEST_P(ShowMorvaneTest, ReloadedLibraryStartsFromEmptyState) {
    std::uint32_t first = 0;
    {
        PluginHost host(GetParam());
        first = host.ShowMorvane(1);
    }
    PluginHost again(GetParam());
    std::uint32_t second = again.ShowMorvane(1);
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
}

INSTANTIATE_TEST_SUITE_P(Editions, ShowMorvaneTest,
                         ::testing::Values(Edition::Full, Edition::Basic), [](const auto& info) {
                             return info.param == Edition::Full ? "Full" : "Basic";
                         });

} // namespace
