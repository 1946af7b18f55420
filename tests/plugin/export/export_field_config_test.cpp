// The export-field configuration: the host asked for the current service, the agent's file
// read once per main window, the columns left out remembered per service and per agent, and the
// file replaced whole or not at all.
#include "ExportTestKit.h"
#include "export/untSelectCol.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/formdrive/User.h>

#include <filesystem>
#include <stdexcept>

namespace export_test {
namespace {

namespace forms = zeph::forms;
using morvane::exporting::TfrmSelectCol;
using zeph::Variant;

const std::string kPacket = Packet({{"X"}, {"Y"}, {"Z"}}, {{"1", "2", "3"}});
const std::string kTitles = "编号~名称~备注"_host;

class ExportFieldConfigTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        std::filesystem::create_directory(temp.Path() + "/cfg");
        services->onCallDll = [this](const std::string& library, const Variant& input,
                                     Variant& output, bool option) {
            dllCalls.push_back({library, input, option});
            if (serviceId.empty()) {
                return false;
            }
            output = Variant::ArrayOf({"True", serviceId, "tab"});
            return true;
        };
    }

    // One spreadsheet export; the picker sees which items start ticked and unticks some.
    std::vector<bool> Export(const std::vector<int>& untick, const std::string& name = "book.xls") {
        std::vector<bool> ticked;
        backend->When<TfrmSelectCol>([&](TfrmSelectCol& f, forms::User& user) {
            for (int i = 0; i < f.lvSelect.Items.Count(); ++i) {
                ticked.push_back(f.lvSelect.Items[i].Checked());
            }
            for (int i : untick) {
                user.Untick(f.lvSelect, i);
            }
            user.Click(f.bbtnSave);
        });
        const std::string path = dir + "/" + name;
        if (Exists(path)) {
            std::filesystem::remove(zeph::text::GbkToUtf8(path));
        }
        backend->AnswerFile(path);
        Call({"SAVE_DATASET_TO_EXCEL", "", kTitles, "", kPacket});
        EXPECT_EQ(MessagesUtf8(),
                  std::vector<std::string>{"保存文件【" + zeph::text::GbkToUtf8(path) + "】成功!"});
        NewBackend();
        return ticked;
    }

    std::string ConfigFile(const std::string& worker = "1001") const {
        return dir + "/cfg/exportFieldCfg_" + worker + ".xml";
    }
    // The file's records, one "service|field|title" each.
    std::vector<std::string> ConfigLines(const std::string& worker = "1001") const {
        zeph::dataset::TRecordTable table =
            zeph::dataset::ReadDataPacket(ReadBytes(ConfigFile(worker)));
        std::vector<std::string> lines;
        EXPECT_EQ(table.FieldCount(), 3u);
        for (std::size_t r = 0; r < table.RowCount(); ++r) {
            lines.push_back(std::string(table.Value(r, 0)) + "|" + std::string(table.Value(r, 1)) +
                            "|" + zeph::text::GbkToUtf8(table.Value(r, 2)));
        }
        return lines;
    }

    struct DllCall {
        std::string library;
        Variant input;
        bool option;
    };
    std::vector<DllCall> dllCalls;
    std::string serviceId = "SV1";
};

TEST_F(ExportFieldConfigTest, UntickedColumnsAreRememberedPerServiceAndPerAgent) {
    EXPECT_EQ(Export({1}), (std::vector<bool>{true, true, true}));
    ASSERT_EQ(dllCalls.size(), 1u);
    EXPECT_EQ(dllCalls[0].library, "Dorvik.dll");
    EXPECT_EQ(dllCalls[0].input, Variant::ArrayOf({"GETCURTABINFO", "", ""}));
    EXPECT_FALSE(dllCalls[0].option);
    EXPECT_EQ(ConfigLines(), std::vector<std::string>{"SV1|Y|名称"});
    EXPECT_NE(
        ReadWithPython("xlsx", dir + "/book.xls").find(R"("rows": [["编号", "备注"], ["1", "3"]])"),
        std::string::npos);

    // A new main window reads the file afresh: the column starts unticked.
    ReopenMainWindow();
    EXPECT_EQ(Export({}), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(ConfigLines(), std::vector<std::string>{"SV1|Y|名称"});

    // Another service starts with every column; its lines go after the first service's.
    serviceId = "SV2";
    EXPECT_EQ(Export({0, 2}), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(ConfigLines(), (std::vector<std::string>{"SV1|Y|名称", "SV2|Z|备注", "SV2|X|编号"}));
    serviceId = "SV1";
    EXPECT_EQ(Export({}), (std::vector<bool>{true, false, true}));

    // Another agent on the same machine keeps a file of its own.
    services->workerNo = "1002";
    ReopenMainWindow();
    EXPECT_EQ(Export({2}), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(ConfigLines("1002"), std::vector<std::string>{"SV1|Z|备注"});
    // A service's lines are replaced by new ones at the end.
    EXPECT_EQ(ConfigLines("1001"),
              (std::vector<std::string>{"SV2|Z|备注", "SV2|X|编号", "SV1|Y|名称"}));
}

TEST_F(ExportFieldConfigTest, UnreadableFileIsEmptyAndStaleLinesAreDropped) {
    struct Case {
        const char* what;
        std::string content;
        std::vector<bool> ticked;
        std::vector<std::string> after;
    } cases[] = {
        {"not a packet", "garbage <", {true, true, true}, {"SV1|X|编号"}},
        {"a packet of other fields", Packet({{"A"}}, {{"1"}}), {true, true, true}, {"SV1|X|编号"}},
        {"a line for a field the dataset lacks, another service kept",
         Packet({{"SERVICEID"}, {"NOCHECKEDFIELD"}, {"NOCHECKEDTITLE"}},
                {{"SV1", "NOSUCH", "t"}, {"SV1", "z", "t"}, {"SV9", "Q", "q"}}),
         {true, true, false},
         {"SV9|Q|q", "SV1|X|编号"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(ConfigFile(), c.content);
        ReopenMainWindow();
        // The picker's answer replaces the service's lines: X is left out too now.
        EXPECT_EQ(Export({0}), c.ticked);
        std::vector<std::string> after = c.after;
        if (!c.ticked[2]) {
            after.insert(after.begin() + 1, "SV1|Z|备注");
        }
        EXPECT_EQ(ConfigLines(), after);
    }
}

TEST_F(ExportFieldConfigTest, WithoutAServiceNothingIsReadOrSaved) {
    const std::vector<std::pair<
        const char*, std::function<bool(const std::string&, const Variant&, Variant&, bool)>>>
        answers = {
            {"the call fails", [](auto&, auto&, Variant&, bool) { return false; }},
            {"two items only",
             [](auto&, auto&, Variant& out, bool) {
                 out = Variant::ArrayOf({"True", "SV1"});
                 return true;
             }},
            {"not an array",
             [](auto&, auto&, Variant& out, bool) {
                 out = Variant("SV1");
                 return true;
             }},
            {"an empty service",
             [](auto&, auto&, Variant& out, bool) {
                 out = Variant::ArrayOf({"True", "", "tab"});
                 return true;
             }},
        };
    WriteBytes(ConfigFile(), Packet({{"SERVICEID"}, {"NOCHECKEDFIELD"}, {"NOCHECKEDTITLE"}},
                                    {{"SV1", "Y", "t"}}));
    const std::string before = ReadBytes(ConfigFile());
    for (const auto& [what, answer] : answers) {
        SCOPED_TRACE(what);
        services->onCallDll = answer;
        ReopenMainWindow();
        EXPECT_EQ(Export({0}), (std::vector<bool>{true, true, true})) << "the plain picker";
        EXPECT_EQ(ReadBytes(ConfigFile()), before);
    }
}

TEST_F(ExportFieldConfigTest, MissingCfgFolderIsNotCreatedAndTheFailureIsLogged) {
    std::filesystem::remove_all(temp.Path() + "/cfg");
    Export({1});
    EXPECT_FALSE(Exists(dir + "/cfg"));
    ASSERT_EQ(services->logLines.size(), 1u);
    EXPECT_NE(zeph::text::GbkToUtf8(services->logLines[0])
                  .find("保存导出字段配置文件失败：" + zeph::text::GbkToUtf8(ConfigFile())),
              std::string::npos);
    // The choice still holds for this main window.
    EXPECT_EQ(Export({}), (std::vector<bool>{true, false, true}));
}

} // namespace
} // namespace export_test
