// The bounds an answer or a description must keep before it is parsed: counted over the markup
// as the parser will read it (quoted values, comments, CDATA and instructions skipped), each
// bound refused one past its limit and kept at it, and what cannot be counted refused.
#include "bulletin/SoapEnvelope.h"
#include "bulletin/XmlLimits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using morvane::bulletin::FindEndpoint;
using morvane::bulletin::kMaxXmlAttributes;
using morvane::bulletin::kMaxXmlDepth;
using morvane::bulletin::kMaxXmlNodes;
using morvane::bulletin::ReadReturnValue;
using morvane::bulletin::XmlLimitBreach;

std::string Answer(const std::string& returnElement) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\"><e:Body>"
           "<r:sendNewResponse xmlns:r=\"http://DefaultNamespace\">" +
           returnElement + "</r:sendNewResponse></e:Body></e:Envelope>";
}

std::string Attributes(std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += " a" + std::to_string(i) + "='x'";
    }
    return out;
}

TEST(XmlLimitsTest, AttributesOfOneElement) {
    // The envelope's own elements carry one namespace declaration each.
    EXPECT_EQ(ReadReturnValue(Answer("<v" + Attributes(kMaxXmlAttributes) + ">ok</v>")), "ok");
    EXPECT_EQ(ReadReturnValue(Answer("<v" + Attributes(kMaxXmlAttributes + 1) + ">ok</v>")),
              std::nullopt);
    EXPECT_STREQ(XmlLimitBreach("<v" + Attributes(kMaxXmlAttributes + 1) + "/>"),
                 "an element carries too many attributes");
    // "=" and ">" inside quoted values count for nothing.
    EXPECT_EQ(ReadReturnValue(Answer("<v a='=>=>' b=\"'=\">ok</v>")), "ok");
}

TEST(XmlLimitsTest, NestingDepth) {
    auto nested = [](std::size_t depth) {
        std::string open, close;
        for (std::size_t i = 0; i < depth; ++i) {
            open += "<n>";
            close += "</n>";
        }
        return open + "ok" + close;
    };
    // Envelope, Body and the response make three levels.
    EXPECT_EQ(ReadReturnValue(Answer(nested(kMaxXmlDepth - 3))), "ok");
    EXPECT_EQ(ReadReturnValue(Answer(nested(kMaxXmlDepth - 2))), std::nullopt);
    // Empty elements and closed siblings do not deepen.
    std::string siblings = "<v>";
    for (std::size_t i = 0; i < kMaxXmlDepth * 2; ++i) {
        siblings += "<a/><b></b>";
    }
    EXPECT_EQ(ReadReturnValue(Answer(siblings + "ok</v>")), "ok");
}

TEST(XmlLimitsTest, ElementsAttributesCommentsAndInstructionsTogether) {
    // The declaration, the envelope's three elements with two declarations, and the value
    // make seven; four more each round.
    std::string many = "<v>";
    for (std::size_t i = 0; i < (kMaxXmlNodes - 7) / 4; ++i) {
        many += "<a b='1'/><!-- c --><?p?>";
    }
    EXPECT_EQ(ReadReturnValue(Answer(many + "ok</v>")), "ok");
    EXPECT_STREQ(XmlLimitBreach(Answer(many + "<a b='1'/><a b='1'/>ok</v>")),
                 "the document holds too many elements and attributes");
    // Markup inside comments, CDATA and instructions is text, not markup.
    EXPECT_EQ(XmlLimitBreach("<v><!-- <a/><a/> --><![CDATA[<a b='1'>]]><?p <a/> ?></v>"), nullptr);
}

TEST(XmlLimitsTest, DocumentTypesAndUncountableEncodingsAreRefused) {
    const std::string description =
        "<!DOCTYPE d [<!ENTITY here \"http://elsewhere/\">]>"
        "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" "
        "xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\"><wsdl:service name=\"S\">"
        "<wsdl:port name=\"P\"><soap:address location=\"&here;\"/></wsdl:port></wsdl:service>"
        "</wsdl:definitions>";
    EXPECT_STREQ(XmlLimitBreach(description), "the document carries a document type declaration");
    EXPECT_EQ(FindEndpoint(description, "S", "P"), std::nullopt);
    // A document whose markup is not in ASCII bytes: UTF-16 (either order), EBCDIC.
    const std::string utf16("\xFF\xFE<\0v\0/\0>\0", 10);
    EXPECT_NE(XmlLimitBreach(utf16), nullptr);
    EXPECT_NE(XmlLimitBreach(std::string("<\0v\0/\0>\0", 8)), nullptr);
    EXPECT_NE(XmlLimitBreach("\x4C\xA5\x61\x6E"), nullptr);
    // A UTF-8 byte order mark and leading blanks are fine.
    EXPECT_EQ(XmlLimitBreach("\xEF\xBB\xBF<v/>"), nullptr);
    EXPECT_EQ(XmlLimitBreach("\n <v/>"), nullptr);
    EXPECT_EQ(XmlLimitBreach(""), nullptr);
}

} // namespace
