// SENDNOTE and SENDBULLETIN through the main window against the real service: the log line,
// every parameter as received, the address table's life, and each row of the failure table.
// The basic edition's note service runs beside the full one.
#include "BulletinFixture.h"
#include "bulletin/BulletinWords.h"
#include "editions/Editions.h"
#include "support/ScopedEnv.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/text/HostText.h>

#include <chrono>

namespace bulletin_test {
namespace {

using morvane::Edition;
using zeph::Variant;
using zeph::text::GbkToUtf8;
using zeph::text::Utf8ToGbk;

class SendWordsTest : public BulletinFixture {
protected:
    // The full edition's words arrive as the host sends them, through the dispatcher.
    Variant Note(std::vector<Variant> args, Edition edition = Edition::Full) {
        args.insert(args.begin(), "SendNote");
        Variant output;
        if (edition == Edition::Full) {
            main->ZephClient.Call(Variant::ArrayOf(args), output);
        } else {
            morvane::bulletin::RunSendNote(*main, Variant::ArrayOf(args), output, edition);
        }
        return output;
    }
    Variant Bulletin(std::vector<Variant> args) {
        args.insert(args.begin(), "sendbulletin");
        Variant output;
        main->ZephClient.Call(Variant::ArrayOf(args), output);
        return output;
    }
    std::string Wsdl(const std::string& service) const {
        return "http://" + server.Address() + "/axis/" + service + ".jws?wsdl";
    }
    static std::vector<std::string> Texts(const Variant& output) {
        std::vector<std::string> texts;
        for (int i = output.LowBound(); i <= output.HighBound(); ++i) {
            texts.push_back(GbkToUtf8(output[i].AsText()));
        }
        return texts;
    }
    const std::string kNoServer = "系统没有配置关于公告便笺服务器的数据，请联系管理员。";
};

TEST_F(SendWordsTest, NoteOfEachEditionLogsAndSendsItsOwnOperation) {
    const std::string title = Utf8ToGbk("通知");
    const std::string content = Utf8ToGbk("明天开会\r\n请准时");
    server.SetAnswer("便笺发送成功");
    EXPECT_EQ(Texts(Note({title, "2", "10002,10003", "G01", content, "AG"})),
              (std::vector<std::string>{"True", "便笺发送成功"}));
    server.SetAnswer("失败：工号不存在");
    EXPECT_EQ(Texts(Note({title, "1", "10002", "", content, "IGNORED"}, Edition::Basic)),
              (std::vector<std::string>{"False", "失败：工号不存在"}));

    const std::string wsdl = Wsdl("NoteSendWS");
    EXPECT_EQ(services->logLines,
              (std::vector<std::string>{
                  "wsdl=" + wsdl + ", title=" + title +
                      ", grade=2, recvstaffnos=10002,10003, recvgroups=G01, content=" + content +
                      ",module=AG",
                  "wsdl=" + wsdl + ", title=" + title +
                      ", grade=1, recvstaffnos=10002, recvgroups=, content=" + content}));
    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].element, "sendNew");
    EXPECT_EQ(Params(calls[0]),
              (std::vector<std::string>{"title=通知", "sendStaffNo=10001", "pass=ZW5jb2RlZA==",
                                        "grade=2", "recvStaffNos=10002,10003", "recvClassGroup=G01",
                                        "content=明天开会\r\n请准时", "sendmodule=AG"}));
    EXPECT_EQ(calls[1].element, "send");
    EXPECT_EQ(Params(calls[1]),
              (std::vector<std::string>{"title=通知", "sendStaffNo=10001",
                                        "pass=ZW5jb2RlZA==", "grade=1", "recvStaffNos=10002",
                                        "recvClassGroup=", "content=明天开会\r\n请准时"}));
    EXPECT_EQ(calls[1].decoded.size(), 7u); // the toolkit took it as its send operation
    // The address table was fetched once for both.
    EXPECT_EQ(ProcedureCalls(), (std::vector<std::string>{"GETIPPORT~10001"}));
    EXPECT_TRUE(ui->Records().empty());
}

TEST_F(SendWordsTest, BulletinLogsWithTwoBlanksBeforeGradeAndSendsIssue) {
    const std::string content = Utf8ToGbk("系统将于今晚升级");
    Variant output = Bulletin({"T", "4", "2", "G01,G02", "03", content});
    EXPECT_EQ(Texts(output), (std::vector<std::string>{"True", "发送成功"}));
    EXPECT_EQ(services->logLines,
              (std::vector<std::string>{"wsdl=" + Wsdl("BulletinIssueWS") +
                                        ", title=T,  grade=4, typeid=2, arecvgroup=G01,G02, "
                                        "callcause=03, acontent=" +
                                        content}));
    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].path, "/axis/BulletinIssueWS.jws");
    EXPECT_EQ(calls[0].element, "issue");
    EXPECT_EQ(Params(calls[0]),
              (std::vector<std::string>{
                  "title=T", "sendStaffNo=10001", "pass=ZW5jb2RlZA==", "grade=4", "typeId=2",
                  "classGroup=G01,G02", "callCause=03", "contents=系统将于今晚升级"}));
}

TEST_F(SendWordsTest, AddressTableIsKeptForTheWindowsLifeOnceOpen) {
    Note({"a", "1", "10002", "", "c", ""});
    lists["GETIPPORT"].rows = {{"BN", "127.0.0.9", "9"}}; // moved on the server meanwhile
    Note({"b", "1", "10002", "", "c", ""});
    EXPECT_EQ(ProcedureCalls(), (std::vector<std::string>{"GETIPPORT~10001"}));
    EXPECT_EQ(Calls().size(), 2u);
    // A new main window fetches it again.
    main = std::make_unique<morvane::TInterFacefrmMain>(nullptr, morvane::BuiltEdition());
    EXPECT_EQ(Texts(Note({"c", "1", "10002", "", "c", ""})),
              (std::vector<std::string>{"False", ""}));
    EXPECT_EQ(ProcedureCalls().size(), 2u);
}

TEST_F(SendWordsTest, NoServerOfClassBnTellsTheAgentAndSendsNothing) {
    struct Case {
        const char* what;
        Rows rows;
        int returnCode;
    };
    const Case cases[] = {
        {"nonzero return code", {{"BN", "127.0.0.1", "1"}}, 7},
        {"class in lower case", {{"bn", "127.0.0.1", "1"}}, 0},
        {"no rows", {}, 0},
    };
    int queries = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        main = std::make_unique<morvane::TInterFacefrmMain>(nullptr, morvane::BuiltEdition());
        lists["GETIPPORT"].rows = c.rows;
        lists["GETIPPORT"].returnCode = c.returnCode;
        EXPECT_EQ(Texts(Note({"a", "1", "10002", "", "c", "AG"})),
                  (std::vector<std::string>{"False", ""}));
        EXPECT_EQ(Texts(Bulletin({"a", "1", "1", "G01", "", "c"})),
                  (std::vector<std::string>{"False", ""}));
        // A refused query leaves the table closed, so the second send asked again.
        queries += c.returnCode != 0 ? 2 : 1;
        EXPECT_EQ(static_cast<int>(ProcedureCalls().size()), queries);
    }
    EXPECT_EQ(ui.MessageTextsUtf8(), std::vector<std::string>(6, kNoServer));
    for (const auto& message : ui->Messages()) {
        EXPECT_EQ(message.owner, zeph::forms::kNoOwner);
    }
    EXPECT_TRUE(services->logLines.empty());
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(SendWordsTest, AnAddressWithBlanksGoesIntoTheLocationAsItCame) {
    lists["GETIPPORT"].rows = {{"BN", " 127.0.0.1", std::to_string(server.Port()) + " "}};
    Note({"a", "1", "10002", "", "c", "AG"});
    // Such a URL cannot be fetched: the call's line, then the reason.
    ASSERT_EQ(services->logLines.size(), 2u);
    const std::string location =
        "wsdl=http:// 127.0.0.1:" + std::to_string(server.Port()) + " /axis/NoteSendWS.jws?wsdl";
    EXPECT_EQ(services->logLines[0].substr(0, services->logLines[0].find(',')), location);
    EXPECT_EQ(services->logLines[1].rfind(location + ", error=", 0), 0u) << services->logLines[1];
    EXPECT_TRUE(ui->Records().empty());
}

TEST_F(SendWordsTest, AFailedAddressQueryLeavesTheWordWithAnError) {
    lists["GETIPPORT"].fails = true;
    EXPECT_THROW(Note({"a", "1", "10002", "", "c", ""}), zeph::dataset::EDataSetError);
    lists["GETIPPORT"].fails = false;
    lists["GETIPPORT"].highBound = 3;
    EXPECT_THROW(Bulletin({"a", "1", "1", "G01", "", "c"}), zeph::dataset::EDataSetError);
    EXPECT_TRUE(ui->Records().empty());
    EXPECT_TRUE(services->logLines.empty());
    // The table stayed closed: the next send asks again and goes through.
    lists["GETIPPORT"].highBound = 5;
    EXPECT_EQ(Texts(Note({"a", "1", "10002", "", "c", ""}))[0], "True");
    EXPECT_EQ(ProcedureCalls().size(), 3u);
}

TEST_F(SendWordsTest, EachFailureGivesFalseAndAnEmptyTextAndLogsItsReasonAfterTheCallsLine) {
    const std::string wsdl = Wsdl("NoteSendWS");
    struct Case {
        const char* mode;
        const char* reason;
    };
    const Case cases[] = {
        {"fault", "the service answered HTTP 500"},
        {"http500", "the service description answered HTTP 500"},
        {"notsoap", "the answer is not a SOAP result"},
        {"noport", "names no port NoteSendWS of NoteSendWSService"},
        {"entity", "the answer was not read: the document carries a document type declaration"},
        {"dtddescription", "the service description was not read: the document carries a "
                           "document type declaration"},
        {"manyattributes", "the answer was not read: an element carries too many attributes"},
        {"manyelements", "the answer was not read: the document holds too many elements"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        main = std::make_unique<morvane::TInterFacefrmMain>(nullptr, morvane::BuiltEdition());
        services->logLines.clear();
        server.SetMode(c.mode);
        EXPECT_EQ(Texts(Note({"a", "1", "10002", "", "c", "AG"})),
                  (std::vector<std::string>{"False", ""}));
        ASSERT_EQ(services->logLines.size(), 2u);
        EXPECT_EQ(services->logLines[0].rfind("wsdl=" + wsdl + ", title=a,", 0), 0u);
        EXPECT_EQ(services->logLines[1].rfind("wsdl=" + wsdl + ", error=", 0), 0u);
        EXPECT_NE(services->logLines[1].find(c.reason), std::string::npos) << services->logLines[1];
    }
    // The entity of a description's document type was never followed to its address.
    for (const auto& request : server.Requests()) {
        EXPECT_NE(request.path, "/leak");
    }

    // The server gone: the system's word for it ("Connection refused" on Linux and Wine, "...
    // actively refused it" on Windows), not a bare number.
    services->logLines.clear();
    server.Stop();
    EXPECT_EQ(Texts(Bulletin({"a", "1", "1", "G01", "", "c"})),
              (std::vector<std::string>{"False", ""}));
    ASSERT_EQ(services->logLines.size(), 2u);
    EXPECT_EQ(services->logLines[1].rfind("wsdl=" + Wsdl("BulletinIssueWS") + ", error=", 0), 0u);
    EXPECT_NE(services->logLines[1].find("refused"), std::string::npos) << services->logLines[1];
    EXPECT_TRUE(ui->Records().empty());
}

TEST_F(SendWordsTest, TimeOutsAreFixedAndTheHostStandInMayShortenThem) {
    zeph::testing::ScopedEnv shorter("ZEPH_HTTP_TIMEOUTS_MS", "1000,1000");
    server.SetMode("slow");
    server.SetDelaySeconds(10);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Texts(Bulletin({"a", "1", "1", "G01", "", "c"})),
              (std::vector<std::string>{"False", ""}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
    ASSERT_EQ(services->logLines.size(), 2u);
    EXPECT_NE(services->logLines[1].find("timed out"), std::string::npos) << services->logLines[1];
}

TEST_F(SendWordsTest, NoSystemParameterIsAskedForASendOrItsFailure) {
    server.SetAnswer("发送成功");
    EXPECT_EQ(Texts(Note({"a", "1", "10002", "", "c", "AG"}))[0], "True");
    EXPECT_EQ(Texts(Bulletin({"a", "1", "1", "G01", "", "c"}))[0], "True");
    server.SetMode("http500");
    main = std::make_unique<morvane::TInterFacefrmMain>(nullptr, morvane::BuiltEdition());
    EXPECT_EQ(Texts(Note({"a", "1", "10002", "", "c", "AG"}))[0], "False");
    EXPECT_EQ(Texts(Bulletin({"a", "1", "1", "G01", "", "c"}))[0], "False");
    EXPECT_TRUE(services->sysParamRequests.empty());
    for (const auto& call : services->calls) {
        EXPECT_NE(call.operation, "GetSysParam") << call.first << "/" << call.second;
    }
}

TEST_F(SendWordsTest, WithoutTheModuleNothingIsAskedOrSent) {
    services->loadedModules.clear();
    const std::string notLoaded = "公告便笺系统没有加载，无法执行此功能！";
    EXPECT_EQ(Texts(Note({"a", "1", "10002", "", "c", ""})),
              (std::vector<std::string>{"False", notLoaded}));
    EXPECT_EQ(Texts(Bulletin({"a"})), (std::vector<std::string>{"False", notLoaded}));
    Variant output;
    morvane::bulletin::SendBNNoteWindow(*main, Variant::ArrayOf({"SENDBNNOTEWINDOW"}), output);
    morvane::bulletin::SendBNBulletinWindow(*main, Variant::ArrayOf({"SENDBNBULLETINWINDOW"}),
                                            output);
    EXPECT_TRUE(output.IsEmpty());
    EXPECT_EQ(ui.MessageTextsUtf8(), std::vector<std::string>(2, notLoaded));
    EXPECT_EQ(ui->Messages()[0].owner, zeph::forms::kNoOwner);
    EXPECT_TRUE(services->calls.empty());
    EXPECT_TRUE(server.Requests().empty());
}

} // namespace
} // namespace bulletin_test
