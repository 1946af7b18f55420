// CallDll loads the library a desk row names, shows it with the host window and delivers one
// word to it, as zeph-host does with the plug-in it was started with.
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/client/HostServices.h>
#include <zeph/emulator/DemoDatabase.h>
#include <zeph/emulator/DeskServices.h>
#include <zeph/forms/Form.h>

#include <gtest/gtest.h>

namespace zeph::emulator {
namespace {

TEST(CallDllTest, BothEditionsOfTheBuildAnswerThroughTheirDeskNames) {
    testing::TempDir dir;
    Database db = Database::Open(dir.File("desk.db"), true);
    BuildDemoDatabase(db);
    auto desk = std::make_shared<DeskServices>(db);
    forms::Form hostWindow(nullptr, "ZephHostMain");
    desk->SetHostWindow(hostWindow.Handle());
    desk->SetLibraryDir(std::string(ZEPH_BINARY_DIR) + "/lib");
    auto previous = InstallHostServices(desk);

    for (const char* library : {"Morvane.dll", "MorvaneBasic.dll", "morvanebasic.DLL"}) {
        SCOPED_TRACE(library);
        Variant output;
        ASSERT_TRUE(desk->CallDll(library, Variant::ArrayOf({"CHECK_STAFF_QUERY", "a", "b"}),
                                  output, true));
        EXPECT_EQ(output, Variant::ArrayOf({"True", "ab", "0"}));
    }
    // The words reach the desk's services too; each library answers with its own word table
    // (the basic edition has no GETMONITOR).
    Variant output;
    ASSERT_TRUE(
        desk->CallDll("Morvane.dll", Variant::ArrayOf({"GETMONITOR", "10005"}), output, true));
    EXPECT_EQ(output, Variant::ArrayOf({"10002"}));
    ASSERT_TRUE(
        desk->CallDll("MorvaneBasic.dll", Variant::ArrayOf({"GETMONITOR", "10005"}), output, true));
    EXPECT_TRUE(output.IsEmpty());

    db.Exec("UPDATE dll_library SET path = '$LIBDIR/libnothing.so' WHERE name = 'Morvane.dll'");
    DeskServices fresh(db);
    fresh.SetLibraryDir(std::string(ZEPH_BINARY_DIR) + "/lib");
    EXPECT_FALSE(fresh.CallDll("Morvane.dll", Variant::ArrayOf({"X"}), output, true));
    InstallHostServices(previous);
}

TEST(CallDllTest, MorvaneDllIsThePlugInTheHostLoaded) {
    testing::TempDir dir;
    Database db = Database::Open(dir.File("desk.db"), true);
    BuildDemoDatabase(db);
    auto desk = std::make_shared<DeskServices>(db);
    forms::Form hostWindow(nullptr, "ZephHostMain");
    desk->SetHostWindow(hostWindow.Handle());
    const std::string libDir = std::string(ZEPH_BINARY_DIR) + "/lib";
    desk->SetLibraryDir(libDir);
    // The desk lists the full edition under the name; the host runs the basic one.
    desk->SetLoadedPlugin(libDir + "/libmorvane-basic.so");
    auto previous = InstallHostServices(desk);
    Variant output;
    for (const char* name : {"Morvane.dll", "MORVANE.DLL"}) {
        ASSERT_TRUE(desk->CallDll(name, Variant::ArrayOf({"GETMONITOR", "10005"}), output, true));
        EXPECT_TRUE(output.IsEmpty()) << name << " reached the full edition";
        ASSERT_TRUE(
            desk->CallDll(name, Variant::ArrayOf({"CHECK_STAFF_QUERY", "b"}), output, true));
        EXPECT_EQ(output, Variant::ArrayOf({"True", "b", "0"}));
    }
    // Other names still come from the desk's table.
    db.Exec("INSERT INTO dll_library (name, path) VALUES ('Full.dll', '$LIBDIR/libmorvane.so')");
    ASSERT_TRUE(desk->CallDll("Full.dll", Variant::ArrayOf({"GETMONITOR", "10005"}), output, true));
    EXPECT_EQ(output, Variant::ArrayOf({"10002"}));
    InstallHostServices(previous);
}

} // namespace
} // namespace zeph::emulator
