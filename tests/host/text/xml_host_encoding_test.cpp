// libxml2 reads documents declared in GBK or GB2312, and writes GBK, through the host encoding
// handlers: the values arrive as UTF-8, characters split across the parser's input chunks
// included, the user-defined areas as the host platform maps them, and an undefined pair is an
// error rather than a wrong character.
#include <zeph/text/XmlHostEncoding.h>

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <string>

namespace {

struct DocFree {
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;

Doc Parse(const std::string& bytes) {
    zeph::text::RegisterXmlHostEncodings();
    return Doc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "", nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

std::string Content(xmlNodePtr node) {
    xmlChar* text = xmlNodeGetContent(node);
    std::string out(reinterpret_cast<const char*>(text));
    xmlFree(text);
    return out;
}

std::string Attribute(xmlNodePtr node, const char* name) {
    xmlChar* text = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string out = text != nullptr ? reinterpret_cast<const char*>(text) : "";
    xmlFree(text);
    return out;
}

// 中文 and 测试 in GBK.
const std::string kZhongWen = "\xD6\xD0\xCE\xC4";
const std::string kCeShi = "\xB2\xE2\xCA\xD4";

TEST(XmlHostEncoding, AGbkDocumentReadsAsUtf8) {
    Doc doc = Parse("<?xml version=\"1.0\" encoding=\"GBK\"?><r a=\"" + kZhongWen + "\">" +
                    kCeShi + "</r>");
    ASSERT_NE(doc, nullptr);
    xmlNodePtr root = xmlDocGetRootElement(doc.get());
    EXPECT_EQ(Attribute(root, "a"), "中文");
    EXPECT_EQ(Content(root), "测试");
}

TEST(XmlHostEncoding, AGb2312DocumentReadsAsUtf8) {
    Doc doc = Parse("<?xml version=\"1.0\" encoding=\"gb2312\"?><r>" + kCeShi + "</r>");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(Content(xmlDocGetRootElement(doc.get())), "测试");
}

TEST(XmlHostEncoding, CharactersAcrossTheParsersInputChunksArriveWhole) {
    // An odd number of ASCII bytes in front puts double-byte characters across every boundary
    // of the parser's input buffers sooner or later.
    std::string body = "x";
    std::string expected = "x";
    for (int i = 0; i < 40000; ++i) {
        body += kZhongWen + "a";
        expected += "中文a";
    }
    Doc doc = Parse("<?xml version=\"1.0\" encoding=\"GBK\"?><r>" + body + "</r>");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(Content(xmlDocGetRootElement(doc.get())), expected);
}

TEST(XmlHostEncoding, TheUserDefinedAreaMapsToPrivateUseAsTheHostPlatformDoes) {
    Doc doc = Parse("<?xml version=\"1.0\" encoding=\"GBK\"?><r>\xA1\x40\xAA\xA1</r>");
    ASSERT_NE(doc, nullptr);
    // A140 is U+E4C6, AAA1 is U+E000.
    EXPECT_EQ(Content(xmlDocGetRootElement(doc.get())), "\xEE\x93\x86\xEE\x80\x80");
}

TEST(XmlHostEncoding, AnUndefinedPairIsAnErrorNotAWrongCharacter) {
    // 0x81 0x20: a lead byte followed by a byte that is no trail byte.
    EXPECT_EQ(Parse("<?xml version=\"1.0\" encoding=\"GBK\"?><r>\x81\x20</r>"), nullptr);
}

TEST(XmlHostEncoding, ADocumentWrittenInGbkHasTheHostBytes) {
    Doc doc = Parse("<?xml version=\"1.0\" encoding=\"GBK\"?><r a=\"" + kZhongWen + "\">" +
                    kCeShi + "</r>");
    ASSERT_NE(doc, nullptr);
    xmlChar* bytes = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc.get(), &bytes, &size, "GBK");
    ASSERT_NE(bytes, nullptr);
    std::string written(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
    xmlFree(bytes);
    EXPECT_EQ(written, "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<r a=\"" + kZhongWen + "\">" +
                           kCeShi + "</r>\n");
}

} // namespace
