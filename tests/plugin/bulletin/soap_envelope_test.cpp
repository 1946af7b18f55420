// The SOAP messages byte by byte: the request envelope worked out by hand, and answers as other
// toolkits write them (RPC/encoded with a multi-reference value, document/literal), faults,
// documents that are not SOAP and answers that declare entities.
#include "bulletin/SoapEnvelope.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using morvane::bulletin::BuildRpcRequest;
using morvane::bulletin::FindEndpoint;
using morvane::bulletin::ReadReturnValue;

TEST(SoapEnvelopeTest, RequestIsRpcEncodedWithOneStringPerParameterInOrder) {
    const char* const names[] = {"title", "pass", "content"};
    const std::vector<std::string> values = {"a&b<c>\"'", "", "l1\r\nl2\x01\t\x7f"};
    EXPECT_EQ(BuildRpcRequest("sendNew", names, values),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<soapenv:Envelope xmlns:soapenv=\"http://schemas.xmlsoap.org/soap/envelope/\" "
              "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
              "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><soapenv:Body>"
              "<ns1:sendNew soapenv:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\" "
              "xmlns:ns1=\"http://DefaultNamespace\">"
              "<title xsi:type=\"xsd:string\">a&amp;b&lt;c&gt;\"'</title>"
              "<pass xsi:type=\"xsd:string\"></pass>"
              "<content xsi:type=\"xsd:string\">l1&#13;\nl2?\t?</content>"
              "</ns1:sendNew></soapenv:Body></soapenv:Envelope>");
}

TEST(SoapEnvelopeTest, ReturnValueOfTheAnswersOfEachStyle) {
    struct Case {
        const char* what;
        std::string answer;
        std::optional<std::string> value;
    };
    const std::string env = "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\">";
    const Case cases[] = {
        {"rpc/encoded",
         env + "<s:Body><ns1:sendNewResponse xmlns:ns1=\"http://DefaultNamespace\">"
               "<sendNewReturn xsi:type=\"xsd:string\" xmlns:xsi=\"http://www.w3.org/"
               "2001/XMLSchema-instance\">\xe5\x8f\x91\xe9\x80\x81\xe6\x88\x90\xe5"
               "\x8a\x9f &amp; &lt;&#x4e2d;&#20013;&gt;</sendNewReturn>"
               "</ns1:sendNewResponse></s:Body></s:Envelope>",
         "\xe5\x8f\x91\xe9\x80\x81\xe6\x88\x90\xe5\x8a\x9f & <\xe4\xb8\xad\xe4\xb8\xad>"},
        {"multi-reference",
         env + "<s:Body><ns1:issueResponse xmlns:ns1=\"urn:x\"><issueReturn "
               "href=\"#id0\"/></ns1:issueResponse><multiRef id=\"id0\">ok"
               "</multiRef></s:Body></s:Envelope>",
         "ok"},
        {"cdata", env + "<s:Body><r><v><![CDATA[<b>]]></v></r></s:Body></s:Envelope>", "<b>"},
        {"empty value", env + "<s:Body><r><v/></r></s:Body></s:Envelope>", ""},
        {"fault",
         env + "<s:Body><s:Fault><faultcode>s:Server</faultcode><faultstring>x"
               "</faultstring></s:Fault></s:Body></s:Envelope>",
         std::nullopt},
        {"no return element", env + "<s:Body><r/></s:Body></s:Envelope>", std::nullopt},
        {"no body", env + "</s:Envelope>", std::nullopt},
        {"dangling reference", env + "<s:Body><r><v href=\"#nope\"/></r></s:Body></s:Envelope>",
         std::nullopt},
        {"SOAP 1.2 envelope",
         "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\">"
         "<s:Body><r><v>x</v></r></s:Body></s:Envelope>",
         std::nullopt},
        {"html", "<html><body>maintenance</body></html>", std::nullopt},
        {"not xml", "HTTP error", std::nullopt},
        {"nothing", "", std::nullopt},
        {"internal entity",
         "<!DOCTYPE e [<!ENTITY a \"expanded\">]>" + env +
             "<s:Body><r><v>&a;</v></r></s:Body></s:Envelope>",
         std::nullopt},
        {"external entity",
         "<!DOCTYPE e [<!ENTITY a SYSTEM \"file:///etc/hostname\">]>" + env +
             "<s:Body><r><v>&a;</v></r></s:Body></s:Envelope>",
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReadReturnValue(c.answer), c.value);
    }
}

TEST(SoapEnvelopeTest, EndpointOfTheNamedPortOfTheNamedService) {
    const std::string wsdl =
        "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" "
        "xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\">"
        "<wsdl:service name=\"Other\"><wsdl:port name=\"NoteSendWS\"><soap:address "
        "location=\"http://wrong/\"/></wsdl:port></wsdl:service>"
        "<wsdl:service name=\"NoteSendWSService\">"
        "<wsdl:port name=\"Second\"><soap:address location=\"http://second/\"/></wsdl:port>"
        "<wsdl:port name=\"NoteSendWS\"><soap:address location=\"http://h:8080/axis/"
        "NoteSendWS.jws\"/></wsdl:port></wsdl:service></wsdl:definitions>";
    EXPECT_EQ(FindEndpoint(wsdl, "NoteSendWSService", "NoteSendWS"),
              "http://h:8080/axis/NoteSendWS.jws");
    EXPECT_EQ(FindEndpoint(wsdl, "NoteSendWSService", "Second"), "http://second/");
    EXPECT_EQ(FindEndpoint(wsdl, "NoteSendWSService", "notesendws"), std::nullopt);
    EXPECT_EQ(FindEndpoint(wsdl, "Missing", "NoteSendWS"), std::nullopt);
    EXPECT_EQ(FindEndpoint("<definitions/>", "NoteSendWSService", "NoteSendWS"), std::nullopt);
    EXPECT_EQ(FindEndpoint("not a description", "NoteSendWSService", "NoteSendWS"), std::nullopt);
    // A location given by an entity is never read from outside: the port has no address.
    const std::string entity =
        "<!DOCTYPE d [<!ENTITY loc SYSTEM \"file:///etc/hostname\">]>"
        "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" "
        "xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\"><wsdl:service name=\"S\">"
        "<wsdl:port name=\"P\"><soap:address location=\"&loc;\"/></wsdl:port></wsdl:service>"
        "</wsdl:definitions>";
    EXPECT_EQ(FindEndpoint(entity, "S", "P"), std::nullopt);
}

} // namespace
