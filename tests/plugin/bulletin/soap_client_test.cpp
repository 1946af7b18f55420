// The SOAP client against a real web service (spyne on 127.0.0.1): what arrives, parameter by
// parameter, and every way a call can fail, each giving an error and never a hang.
#include "SoapTestServer.h"
#include "bulletin/ServiceInterfaces.h"
#include "bulletin/SoapClient.h"
#include "support/ScopedEnv.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace bulletin_test {
namespace {

using morvane::bulletin::ESoapError;
using morvane::bulletin::TSoapClient;
using zeph::text::GbkToUtf8;
using zeph::text::Utf8ToGbk;

class SoapClientTest : public ::testing::Test {
protected:
    zeph::testing::ScopedEnv limits{"ZEPH_HTTP_TIMEOUTS_MS", "2000,5000"};
    SoapTestServer server;
    TSoapClient note{nullptr, "hprSendNote", morvane::bulletin::kNoteService,
                     morvane::bulletin::kNotePort};

    void SetUp() override {
        note.WSDLLocation = "http://" + server.Address() + "/axis/NoteSendWS.jws?wsdl";
    }
    std::string Send(const std::vector<std::string>& values) {
        return note.Invoke(morvane::bulletin::kSendNew, values);
    }
    static std::vector<std::string> Values() {
        return {"t", "10001", "pw", "1", "10002", "", "c", "AG"};
    }
};

TEST_F(SoapClientTest, EveryParameterArrivesByNameAsAStringInOrderAndTheAnswerComesBack) {
    // GBK inside, UTF-8 on the wire: Chinese texts, markup characters, line ends, and a GBK
    // byte pair that is no character (sent as "?").
    const std::string title = Utf8ToGbk("会议通知 <紧急> & \"全体\"");
    const std::string content = Utf8ToGbk("第一行\r\n第二行\n") + "\x81\x20" + "end";
    server.SetAnswer("发送成功：&<>'\"2条");
    const std::string answer = Send({title, "10001", "enc==", "2", "10002,10003", "", content, ""});
    EXPECT_EQ(GbkToUtf8(answer), "发送成功：&<>'\"2条");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/axis/NoteSendWS.jws");
    EXPECT_EQ(requests[0].query, "wsdl");
    const SoapTestServer::Request& call = requests[1];
    EXPECT_EQ(call.method, "POST");
    EXPECT_EQ(call.path, "/axis/NoteSendWS.jws");
    ASSERT_TRUE(call.HasHeader("SOAPAction"));
    EXPECT_EQ(call.Header("SOAPAction"), "\"\"");
    EXPECT_EQ(call.Header("Content-Type"), "text/xml; charset=utf-8");
    EXPECT_EQ(call.elementNamespace, "http://DefaultNamespace");
    EXPECT_EQ(call.element, "sendNew");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"title", "会议通知 <紧急> & \"全体\""},
        {"sendStaffNo", "10001"},
        {"pass", "enc=="},
        {"grade", "2"},
        {"recvStaffNos", "10002,10003"},
        {"recvClassGroup", ""},
        {"content", "第一行\r\n第二行\n? end"},
        {"sendmodule", ""},
    };
    ASSERT_EQ(call.received.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(call.received[i].name, expected[i].first);
        EXPECT_EQ(call.received[i].type, "xsd:string");
        EXPECT_EQ(call.received[i].text, expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(call.decoded, expected); // the toolkit read the call the same way
}

TEST_F(SoapClientTest, AnAnswerCharacterGbkCannotHoldComesBackAsQuestionMark) {
    server.SetAnswer("成功😀");
    EXPECT_EQ(GbkToUtf8(Send(Values())), "成功?");
}

TEST_F(SoapClientTest, EndpointIsKeptPerDescriptionLocationUntilTheTransportFails) {
    server.SetAnswer("ok");
    EXPECT_EQ(Send(Values()), "ok");
    EXPECT_EQ(Send(Values()), "ok");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[2].method, "POST");
    // A fault keeps the endpoint; a description of another location is fetched.
    server.SetMode("fault");
    EXPECT_THROW(Send(Values()), ESoapError);
    server.SetMode("normal");
    note.WSDLLocation =
        "http://localhost:" + std::to_string(server.Port()) + "/axis/NoteSendWS.jws?wsdl";
    EXPECT_EQ(Send(Values()), "ok");
    requests = server.Requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[3].method, "POST");
    EXPECT_EQ(requests[4].method, "GET");
}

TEST_F(SoapClientTest, EveryFailureOfTheServiceIsAnError) {
    struct Case {
        const char* mode;
        const char* what;
    };
    const Case cases[] = {
        {"fault", "a SOAP fault"},
        {"http500", "HTTP 500 without SOAP"},
        {"notsoap", "an HTML page"},
        {"noport", "a description without the port"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.SetMode(c.mode);
        TSoapClient fresh(nullptr, "hpr", morvane::bulletin::kNoteService,
                          morvane::bulletin::kNotePort);
        fresh.WSDLLocation = note.WSDLLocation;
        EXPECT_THROW(fresh.Invoke(morvane::bulletin::kSendNew, Values()), ESoapError);
    }
    // The bulletin's description does not name the note's port.
    server.SetMode("normal");
    note.WSDLLocation = "http://" + server.Address() + "/axis/BulletinIssueWS.jws?wsdl";
    EXPECT_THROW(Send(Values()), ESoapError);
    // Nor does a path with no service.
    note.WSDLLocation = "http://" + server.Address() + "/axis/Nothing.jws?wsdl";
    EXPECT_THROW(Send(Values()), ESoapError);
}

TEST_F(SoapClientTest, AnExternalEntityInTheAnswerIsNeverFollowed) {
    server.SetMode("entity");
    EXPECT_THROW(Send(Values()), ESoapError);
    for (const auto& request : server.Requests()) {
        EXPECT_NE(request.path, "/leak"); // the network entity was not fetched
    }
}

TEST_F(SoapClientTest, ADescriptionWithADocumentTypeIsRefusedAndItsEntityNeverFollowed) {
    server.SetMode("dtddescription");
    EXPECT_THROW(Send(Values()), ESoapError);
    for (const auto& request : server.Requests()) {
        EXPECT_NE(request.path, "/leak"); // the address the entity named was not called
    }
}

TEST_F(SoapClientTest, AnAnswerBeyondTheBoundsIsRefusedUnread) {
    server.SetAnswer("发送成功");
    server.SetMode("manyattributes");
    try {
        Send(Values());
        ADD_FAILURE() << "an answer with 20,000 attributes on one element was read";
    } catch (const ESoapError& error) {
        EXPECT_STREQ(error.what(),
                     "the answer was not read: an element carries too many attributes");
    }
    server.SetMode("manyelements");
    EXPECT_THROW(Send(Values()), ESoapError);
}

TEST_F(SoapClientTest, AServerThatIsDownOrTooSlowEndsTheCallWithinTheLimits) {
    server.SetMode("slow");
    server.SetDelaySeconds(10);
    zeph::testing::ScopedEnv shorter("ZEPH_HTTP_TIMEOUTS_MS", "2000,1000");
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(Send(Values()), ESoapError); // the answer comes too late
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));

    server.Stop();
    start = std::chrono::steady_clock::now();
    EXPECT_THROW(Send(Values()), ESoapError);
    note.WSDLLocation =
        "http://127.0.0.1:" + std::to_string(zeph::testing::FreeLoopbackPort()) + "/x?wsdl";
    EXPECT_THROW(Send(Values()), ESoapError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
}

// A forward proxy on loopback that passes every request to the test's service.
class ForwardProxy {
public:
    explicit ForwardProxy(int targetPort)
        : port_(zeph::testing::FreeLoopbackPort()),
          process_({"/usr/bin/python3", FORWARD_PROXY, std::to_string(port_),
                    std::to_string(targetPort), log_.File("requests.log")}) {
        EXPECT_TRUE(zeph::testing::WaitForPort(port_, std::chrono::seconds(15)));
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::string Requests() const { return zeph::testing::ReadFile(log_.File("requests.log")); }

private:
    zeph::testing::TempDir log_;
    int port_;
    zeph::testing::Background process_;
};

TEST_F(SoapClientTest, LoopbackIsNeverReachedThroughAProxy) {
    // A proxy that nothing answers: a loopback service is reached all the same.
    const std::string dead =
        "http://127.0.0.1:" + std::to_string(zeph::testing::FreeLoopbackPort());
    zeph::testing::ScopedEnv http("http_proxy", dead);
    zeph::testing::ScopedEnv all("all_proxy", dead);
    zeph::testing::ScopedEnv none("no_proxy", std::nullopt);
    server.SetAnswer("发送成功");
    EXPECT_EQ(GbkToUtf8(Send(Values())), "发送成功");
    note.WSDLLocation =
        "http://localhost:" + std::to_string(server.Port()) + "/axis/NoteSendWS.jws?wsdl";
    EXPECT_EQ(GbkToUtf8(Send(Values())), "发送成功");
}

TEST_F(SoapClientTest, AServerElsewhereIsReachedThroughTheProxyTheEnvironmentNames) {
    ForwardProxy proxy(server.Port());
    zeph::testing::ScopedEnv http("http_proxy", proxy.Url());
    zeph::testing::ScopedEnv none("no_proxy", std::nullopt);
    server.SetAnswer("发送成功");
    // A name that never resolves: only the proxy can have carried the exchange.
    const std::string host = "bn.invalid:" + std::to_string(server.Port());
    note.WSDLLocation = "http://" + host + "/axis/NoteSendWS.jws?wsdl";
    EXPECT_EQ(GbkToUtf8(Send(Values())), "发送成功");
    EXPECT_EQ(proxy.Requests(), "GET http://" + host +
                                    "/axis/NoteSendWS.jws?wsdl HTTP/1.1\n"
                                    "POST http://" +
                                    host + "/axis/NoteSendWS.jws HTTP/1.1\n");

    // Excluded by no_proxy: direct, so the name must resolve, and it does not.
    zeph::testing::ScopedEnv excluded("no_proxy", "example.org, .invalid");
    TSoapClient other{nullptr, "hprSendNote", morvane::bulletin::kNoteService,
                      morvane::bulletin::kNotePort};
    other.WSDLLocation = note.WSDLLocation;
    EXPECT_THROW(other.Invoke(morvane::bulletin::kSendNew, Values()), ESoapError);
    const std::string requests = proxy.Requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), '\n'), 2);
}

TEST_F(SoapClientTest, OnlyHttpLocationsAreFetched) {
    note.WSDLLocation = "file:///etc/hostname";
    EXPECT_THROW(Send(Values()), ESoapError);
}

} // namespace
} // namespace bulletin_test
