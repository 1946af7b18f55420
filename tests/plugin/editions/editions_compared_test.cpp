// The two built editions side by side: the same Input through each, word by word. Where the
// basic edition keeps its older behaviour the difference is shown exactly; everywhere else the
// answers, the dialogs and the server calls are the same.
#include "support/FakeHostServices.h"
#include "support/Packets.h"
#include "support/PluginHost.h"
#include "support/ScopedBackend.h"

#include <zeph/client/Variant.h>
#include <zeph/forms/Form.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using zeph::Variant;
using zeph::forms::ScriptedBackend;
using zeph::testing::BuildPacket;
using zeph::testing::Edition;
using zeph::testing::FakeHostServices;
using zeph::testing::PluginHost;

std::string G(const std::string& utf8) {
    return zeph::text::Utf8ToGbk(utf8);
}

// What one edition did with one request.
struct Outcome {
    Variant output;
    std::vector<FakeHostServices::ServerCall> calls;
    std::vector<std::string> sysParams;
    std::vector<std::string> shown; // "source: text" of every message, dialog and window
};

class EditionsComparedTest : public ::testing::Test {
protected:
    EditionsComparedTest() {
        full.ShowMorvane(1);
        basic.ShowMorvane(1);
        // The quality-check contents: one special content, one ordinary.
        services->onOpenBySQL = [this](const std::string&, const std::string&, const std::string&,
                                       Variant& data) {
            data = contents;
            return true;
        };
    }

    // Runs the request on one edition with a fresh backend that prepare may give answers.
    Outcome Run(PluginHost& edition, const Variant& input,
                const std::function<void(ScriptedBackend&)>& prepare = {}) {
        services->calls.clear();
        services->sysParamRequests.clear();
        zeph::testing::ScopedBackend ui;
        if (prepare) {
            prepare(*ui);
        }
        Outcome outcome;
        edition.Call(input, outcome.output);
        outcome.calls = services->calls;
        outcome.sysParams = services->sysParamRequests;
        for (const auto& shown : ui->Records()) {
            outcome.shown.push_back(shown.source + ": " + zeph::text::GbkToUtf8(shown.text));
        }
        EXPECT_TRUE(ui->Failures().empty()) << ui->Failures().front();
        return outcome;
    }

    zeph::testing::ServicesScope<> services;
    PluginHost full{Edition::Full};
    PluginHost basic{Edition::Basic};
    std::string contents = BuildPacket({"ContentID", "CONTENTNAME", "SourceID", "Weight"},
                                       {{"C2", "专项", "5", "9"}, {"C1", "常规", "0", "9"}});
};

std::string Records() {
    return BuildPacket({"StaffNo", "ContentID", "TotalScore", "checktype", "Weight", "SerialNum"},
                       {{"1001", "C1", "90", "1", "0.6", "S1"},
                        {"1001", "C2", "70", "2", "0.4", "S2"},
                        {"1001", "C1", "80", "2", "0.6", "S3"}});
}

void ExpectSameCalls(const Outcome& a, const Outcome& b) {
    ASSERT_EQ(a.calls.size(), b.calls.size());
    for (std::size_t i = 0; i < a.calls.size(); ++i) {
        EXPECT_EQ(a.calls[i].operation, b.calls[i].operation) << i;
        EXPECT_EQ(a.calls[i].first, b.calls[i].first) << i;
        EXPECT_EQ(a.calls[i].second, b.calls[i].second) << i;
        EXPECT_EQ(a.calls[i].third, b.calls[i].third) << i;
    }
}

TEST_F(EditionsComparedTest, WordsTheEditionsShareAnswerAlike) {
    struct Case {
        const char* name;
        Variant input;
        std::function<void(ScriptedBackend&)> prepare;
    };
    const Case cases[] = {
        {"information code", Variant::ArrayOf({"1005", G("提示")}), {}},
        {"question code", Variant::ArrayOf({"1006", G("继续？")}),
         [](ScriptedBackend& ui) { ui.AnswerYes(); }},
        {"error code", Variant::ArrayOf({"1007", G("出错")}), {}},
        {"other number", Variant::ArrayOf({"1008", "x"}), {}},
        {"staff query", Variant::ArrayOf({"check_staff_query", "a", "b", "c"}), {}},
        {"accepted word", Variant::ArrayOf({"CHECK_DETAIL", "x"}), {}},
        {"routing field not in the list", Variant::ArrayOf({"GETROUTPACKAGE", "NOSUCH"}), {}},
        {"text file, dialog cancelled", Variant::ArrayOf({"LOADFROMFILE", "*.txt", "10"}),
         [](ScriptedBackend& ui) { ui.CancelFileDialog(); }},
        {"attachments, dialog cancelled", Variant::ArrayOf({"ADDAFFIX", "*.*"}),
         [](ScriptedBackend& ui) { ui.CancelFileDialog(); }},
        {"download, folder cancelled", Variant::ArrayOf({"FTP_DOWNLOADFILE", "/r", "a.txt"}),
         [](ScriptedBackend& ui) { ui.CancelFolderDialog(); }},
        {"open a server file, download fails",
         Variant::ArrayOf({"OPENFILE", "a.txt", "", "/r", "TRUE"}),
         {}},
        {"save a server file, dialog cancelled",
         Variant::ArrayOf({"SAVEASFILE", "a.txt", "", "/r", "TRUE"}),
         [](ScriptedBackend& ui) { ui.CancelFileDialog(); }},
        {"test window", Variant::ArrayOf({"TEST"}), {}},
        {"empty input", Variant(), {}},
        {"unknown word", Variant::ArrayOf({"NO_SUCH_WORD"}), {}},
    };
    std::map<std::string, Outcome> basicOutcomes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome a = Run(full, c.input, c.prepare);
        Outcome b = Run(basic, c.input, c.prepare);
        EXPECT_EQ(a.output, b.output);
        EXPECT_EQ(a.shown, b.shown);
        ExpectSameCalls(a, b);
        basicOutcomes[c.name] = b;
    }
    // The shared words did what they do, so "alike" is not "alike in doing nothing".
    EXPECT_EQ(basicOutcomes["staff query"].output, Variant::ArrayOf({"True", "abc", "0"}));
    EXPECT_EQ(basicOutcomes["test window"].shown,
              std::vector<std::string>{"TFrmTestMain: FrmTestMain"});
    EXPECT_EQ(basicOutcomes["question code"].output, Variant::ArrayOf({"True"}));
    EXPECT_EQ(basicOutcomes["routing field not in the list"].output[0].AsText(), G("参数错误"));
    EXPECT_EQ(basicOutcomes["error code"].shown, std::vector<std::string>{"ErrorDlg: 出错"});
    for (const char* name : {"text file, dialog cancelled", "open a server file, download fails",
                             "save a server file, dialog cancelled"}) {
        EXPECT_FALSE(basicOutcomes[name].shown.empty()) << name;
    }
}

TEST_F(EditionsComparedTest, ContentScoreReportAsksWithTheLowerCaseFlagForTheSamePacket) {
    const Variant input = Variant::ArrayOf({"CHECK_REPORT", Records(), "O1", "", "10", "1"});
    Outcome a = Run(full, input);
    Outcome b = Run(basic, input);
    ASSERT_TRUE(a.output.IsArray());
    EXPECT_EQ(a.output[0].AsText(), "True");
    EXPECT_EQ(a.output, b.output) << "the packet is the same";
    ASSERT_EQ(a.calls.size(), 1u);
    ASSERT_EQ(b.calls.size(), 1u);
    EXPECT_EQ(a.calls[0].first, "ZEPHSC_SELFSQL");
    EXPECT_EQ(b.calls[0].first, "zephsc_selfsql");
    EXPECT_EQ(a.calls[0].second, b.calls[0].second) << "the same SQL text";
    EXPECT_EQ(a.calls[0].third, b.calls[0].third) << "the same parameter";
    EXPECT_EQ(b.calls[0].third, "O1");
}

// The report without the lines of the evaluation category.
std::string WithoutCategoryLines(const std::string& packet) {
    const std::string category = G("<DATA ITEMNAME=\"考评类别\"/>");
    std::string out;
    std::size_t start = 0;
    while (start < packet.size()) {
        std::size_t end = packet.find('\r', start);
        end = end == std::string::npos ? packet.size() : end + 1;
        std::string line = packet.substr(start, end - start);
        if (line.find(category) == std::string::npos) {
            out += line;
        }
        start = end;
    }
    return out;
}

TEST_F(EditionsComparedTest, PersonReportScoresAsModeNWithoutTheCategoryLine) {
    const Variant input = Variant::ArrayOf({"CHECK_PERSON", Records(), "O1", "1001"});
    services->defaultSysParam = "N";
    Outcome fullN = Run(full, input);
    Outcome basicN = Run(basic, input);
    services->defaultSysParam = "Y";
    Outcome fullY = Run(full, input);
    Outcome basicY = Run(basic, input);

    for (const Outcome* o : {&fullN, &basicN, &fullY, &basicY}) {
        ASSERT_TRUE(o->output.IsArray());
        ASSERT_EQ(o->output[0].AsText(), "True") << o->output[1].AsText();
    }
    const std::string fullNPacket = fullN.output[1].AsText();
    const std::string basicPacket = basicN.output[1].AsText();
    // The full edition reads the scoring mode, the basic edition no parameter at all.
    EXPECT_EQ(fullN.sysParams, std::vector<std::string>{"QC/21"});
    EXPECT_TRUE(basicN.sysParams.empty());
    EXPECT_TRUE(basicY.sysParams.empty());
    // Whatever the parameter says, the basic report is one and the same...
    EXPECT_EQ(basicY.output, basicN.output);
    // ...the full edition's in mode N, line for line, less the category line of each head.
    EXPECT_NE(fullNPacket.find(G("考评类别")), std::string::npos);
    EXPECT_EQ(basicPacket.find(G("考评类别")), std::string::npos);
    EXPECT_EQ(basicPacket, WithoutCategoryLines(fullNPacket));
    // The ordinary content (SourceID 0) is the average of its records, 85, in the basic
    // edition; the full edition's mode Y scores it otherwise.
    EXPECT_NE(basicPacket.find(G("ITEM=\"总分\" SCORE=\"85.00\"")), std::string::npos);
    EXPECT_NE(fullY.output[1].AsText(), fullNPacket);
    // COUNT is still the matching records plus 2: two for the ordinary content.
    EXPECT_NE(basicPacket.find(G("<CONTENT COUNT=\"4\" CONTENTNAME=\"常规\">")), std::string::npos);
    // The contents come from the same query in both.
    auto queries = [](const Outcome& o) {
        std::vector<std::string> out;
        for (const auto& call : o.calls) {
            if (call.operation == "OpenBySQL") {
                out.push_back(call.first + "|" + call.second + "|" + call.third);
            }
        }
        return out;
    };
    EXPECT_EQ(queries(basicN), queries(fullN));
    EXPECT_EQ(queries(basicN).size(), 1u);
}

TEST_F(EditionsComparedTest, WordsOnlyTheFullEditionHasAreUnknownToTheBasicEdition) {
    services->publicData["StaffState"] =
        BuildPacket({"staffno", "WorkGroupName"}, {{"1001", "g1"}});
    services->publicData["WorkGroup"] = BuildPacket({"Name", "MonitorNo"}, {{"g1", "2002"}});
    const std::vector<Variant> inputs = {
        Variant::ArrayOf({"CHECK_RESULT", Records(), "O1", "C1", ""}),
        Variant::ArrayOf({"SKILL_REPORT", Records(), "O1", "C1", ""}),
        Variant::ArrayOf({"CRTABFORUPDATEIP", BuildPacket({"IP"}, {{"10.0.0.1"}}), "2"}),
        Variant::ArrayOf({"GETMONITOR", "1001"}),
        Variant::ArrayOf({"BASE64DECODE", "YWJj"}),
        Variant::ArrayOf({"BASE64ENCODE", "abc"}),
    };
    for (const Variant& input : inputs) {
        SCOPED_TRACE(input[0].AsText());
        Outcome a = Run(full, input);
        Outcome b = Run(basic, input);
        EXPECT_TRUE(a.output.IsArray()) << "the full edition answers";
        EXPECT_TRUE(b.output.IsEmpty());
        EXPECT_TRUE(b.calls.empty());
        EXPECT_TRUE(b.shown.empty());
    }
    // Short messages never reach the basic edition's table.
    Outcome sm = Run(basic, Variant::ArrayOf({"SENDSM", "1", "0", "0", "1", "t", "138", "x"}));
    EXPECT_TRUE(sm.output.IsEmpty());
    EXPECT_TRUE(sm.shown.empty());
    EXPECT_TRUE(sm.calls.empty());
}

std::set<std::string> ComponentNames(PluginHost& edition) {
    std::set<std::string> names;
    auto* main = zeph::forms::Form::FromHandle(edition.MainHandle());
    for (auto* component : main->Components()) {
        if (!component->Name().empty()) {
            names.insert(component->Name());
        }
    }
    return names;
}

TEST_F(EditionsComparedTest, BasicMainWindowLacksOnlyTheFileExportDialogAndSpreadsheetParts) {
    std::set<std::string> fullNames = ComponentNames(full);
    std::set<std::string> basicNames = ComponentNames(basic);
    std::set<std::string> missing;
    for (const std::string& name : fullNames) {
        if (basicNames.count(name) == 0) {
            missing.insert(name);
        }
    }
    EXPECT_EQ(missing,
              (std::set<std::string>{"SaveDialog", "ZephExportToXLS", "ZephExportToExcel"}));
    for (const std::string& name : basicNames) {
        EXPECT_EQ(fullNames.count(name), 1u) << name << " is the basic edition's alone";
    }
    EXPECT_EQ(basicNames.count("sd"), 1u);
}

} // namespace
