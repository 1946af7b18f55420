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

// Where the build puts the plug-in editions, and their file names on this platform.
const std::string kLibDir = ZEPH_PLUGIN_DIR;
const std::string kFull = ZEPH_PLUGIN_FULL_NAME;
const std::string kBasic = ZEPH_PLUGIN_BASIC_NAME;

// A demo desk installed as the host's services, with the host's window.
class CallDllTest : public ::testing::Test {
protected:
    CallDllTest() {
        BuildDemoDatabase(db);
        desk->SetHostWindow(hostWindow.Handle());
        desk->SetLibraryDir(kLibDir);
        previous = InstallHostServices(desk);
    }
    ~CallDllTest() override { InstallHostServices(previous); }

    testing::TempDir dir;
    Database db = Database::Open(dir.File("desk.db"), true);
    std::shared_ptr<DeskServices> desk = std::make_shared<DeskServices>(db);
    forms::Form hostWindow{nullptr, "ZephHostMain"};
    std::shared_ptr<HostServices> previous;
};

TEST_F(CallDllTest, BothEditionsOfTheBuildAnswerThroughTheirDeskNames) {

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
    fresh.SetLibraryDir(kLibDir);
    EXPECT_FALSE(fresh.CallDll("Morvane.dll", Variant::ArrayOf({"X"}), output, true));
}

TEST_F(CallDllTest, MorvaneDllIsThePlugInTheHostLoaded) {
    // The desk lists the full edition under the name; the host runs the basic one.
    desk->SetLoadedPlugin(kLibDir + "/" + kBasic);
    Variant output;
    for (const char* name : {"Morvane.dll", "MORVANE.DLL"}) {
        ASSERT_TRUE(desk->CallDll(name, Variant::ArrayOf({"GETMONITOR", "10005"}), output, true));
        EXPECT_TRUE(output.IsEmpty()) << name << " reached the full edition";
        ASSERT_TRUE(
            desk->CallDll(name, Variant::ArrayOf({"CHECK_STAFF_QUERY", "b"}), output, true));
        EXPECT_EQ(output, Variant::ArrayOf({"True", "b", "0"}));
    }
    // Other names still come from the desk's table.
    db.Exec("INSERT INTO dll_library (name, path) VALUES ('Full.dll', '$LIBDIR/" + kFull + "')");
    ASSERT_TRUE(desk->CallDll("Full.dll", Variant::ArrayOf({"GETMONITOR", "10005"}), output, true));
    EXPECT_EQ(output, Variant::ArrayOf({"10002"}));
}

} // namespace
} // namespace zeph::emulator
