// The direct packet scanner beside libxml2: a packet in the shape packets are written in is read
// by the scanner, to the very table libxml2 builds from it; any other text is left to libxml2,
// above all every text libxml2 refuses.
#include <zeph/dataset/DataPacket.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zeph::dataset::EDataSetError;
using zeph::dataset::ParseDataPacket;
using zeph::dataset::ScanDataPacket;
using zeph::text::Utf8ToGbk;

const std::string kFields = R"(<FIELD attrname="A" fieldtype="string"/>)"
                            R"(<FIELD attrname="B" fieldtype="string" WIDTH="8"/>)";

std::string Packet(const std::string& rows, const std::string& fields = kFields,
                   const std::string& declaration = "<?xml version=\"1.0\" standalone=\"yes\"?>") {
    return declaration + "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
           "</FIELDS><PARAMS/></METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

struct Written {
    const char* what;
    std::string text;
};

std::vector<Written> WrittenShapes() {
    zeph::dataset::TRecordTable table;
    table.AddField({"A", "string", 0, {}});
    table.AddField({"Note", "string", 0, {}});
    table.AppendRow({"<&>\"'", Utf8ToGbk("质检\r\n\t行")});
    table.AppendRow({"", "\x80"});
    return {
        {"no declaration", Packet(R"(<ROW A="1" B="2"/>)", kFields, "")},
        {"declaration in single quotes with encoding and standalone",
         Packet(R"(<ROW A="1"/>)", kFields,
                "<?xml version='1.0' encoding='GBK' standalone='no' ?>")},
        {"declared as UTF-8",
         Packet(R"(<ROW A="1"/>)", kFields, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n")},
        {"white space in and between tags",
         Packet("\r\n  <ROW  A = \"1\"\n\tB='2' />\n<ROW\tA=\"3\"></ROW >\n", kFields)},
        {"references", Packet(R"(<ROW A="&lt;&gt;&amp;&quot;&apos;&#38;&#x41;&#x7a;&#126;"/>)")},
        {"line ends and tabs in values", Packet("<ROW A=\"a\r\nb\rc\nd\te\r\r\n\" B=\"\r\"/>")},
        {"references to white space", Packet(R"(<ROW A="&#9;&#10;&#13;&#32;&#xD;&#xa;"/>)")},
        {"the other quote inside", Packet(R"(<ROW A='say "hi"' B="it's"/>)")},
        {"host text", Utf8ToGbk(Packet(R"(<ROW A="张三～表" B="质&amp;检&#13;
"/>)"))},
        {"host text field names without rows",
         Utf8ToGbk(Packet("", R"(<FIELD attrname="姓名" fieldtype="string" note="说明"/>)"))},
        {"the single-byte euro sign", Packet("<ROW A=\"\x80\"/>")},
        {"attributes out of order, unknown ones, missing ones",
         Packet(R"(<ROW B="2" A="1" RowState="4"/><ROW/><ROW B="only" X="1" Y="2"/>)")},
        {"nested elements ignored",
         Packet(R"(<ROW A="1"><X B="2"><Y/></X></ROW><ROW A="2"/>)") + "\n\n"},
        {"params and field extras",
         "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" fieldtype=\"i4\" WIDTH=\"x\" "
         "required=\"true\"/></FIELDS><PARAMS LCID=\"2052\" note=\"a&amp;b\"/><EXTRA/>"
         "</METADATA><ROWDATA><ROW A=\"7\"/></ROWDATA></DATAPACKET>"},
        {"without ROWDATA",
         "<DATAPACKET><METADATA><FIELDS>" + kFields + "</FIELDS></METADATA></DATAPACKET>"},
        {"the writer's own output", zeph::dataset::WriteDataPacket(table)},
    };
}

TEST(PacketScanner, ReadsTheWrittenShapeToTheTableLibxml2Builds) {
    for (const Written& packet : WrittenShapes()) {
        std::optional<zeph::dataset::TRecordTable> scanned = ScanDataPacket(packet.text);
        ASSERT_TRUE(scanned.has_value()) << packet.what;
        EXPECT_TRUE(*scanned == ParseDataPacket(packet.text)) << packet.what;
    }
}

TEST(PacketScanner, NormalisesValuesAsXmlReadsThem) {
    auto lines = ScanDataPacket(Packet("<ROW A=\"a\r\nb\rc\nd\te\r\r\n\" B=\"\r\"/>"));
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->Value(0, 0), "a b c d e  ");
    EXPECT_EQ(lines->Value(0, 1), " ");
    auto references = ScanDataPacket(Packet(R"(<ROW A="&#9;&#10;&#13;&#32;&#xD;&#xa;"/>)"));
    ASSERT_TRUE(references.has_value());
    EXPECT_EQ(references->Value(0, 0), "\t\n\r \r\n") << "referenced white space stays as it is";
}

TEST(PacketScanner, ElementsWithManyAttributesAreCheckedForDuplicatesWhole) {
    std::string many;
    for (int i = 0; i < 2000; ++i) {
        many += " X" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    }
    for (const std::string& element :
         {"<ROW A=\"1\"" + many + "/>", "<ROW A=\"1\"><X" + many + "/></ROW>"}) {
        std::string packet = Packet(element);
        auto scanned = ScanDataPacket(packet);
        ASSERT_TRUE(scanned.has_value());
        EXPECT_TRUE(*scanned == ParseDataPacket(packet));
        std::string twice = element;
        twice.insert(twice.find('/'), " X1000=\"again\"");
        EXPECT_FALSE(ScanDataPacket(Packet(twice)).has_value());
        EXPECT_THROW(ParseDataPacket(Packet(twice)), EDataSetError);
    }
}

struct Other {
    const char* what;
    std::string text;
    bool libxml2Reads;
};

TEST(PacketScanner, LeavesEveryOtherTextToLibxml2) {
    std::string deep;
    for (int i = 0; i < 100; ++i) {
        deep += "<X>";
    }
    for (int i = 0; i < 100; ++i) {
        deep += "</X>";
    }
    const std::vector<Other> texts = {
        {"a comment", Packet("<!-- x --><ROW A=\"1\"/>"), true},
        {"a processing instruction", Packet("<?pi x?><ROW A=\"1\"/>"), true},
        {"a CDATA section", Packet("<![CDATA[x]]><ROW A=\"1\"/>"), true},
        {"character data", Packet("x<ROW A=\"1\"/>"), true},
        {"host text attribute names",
         Utf8ToGbk(Packet(R"(<ROW 姓名="1"/>)", R"(<FIELD attrname="姓名"/>)")), true},
        {"a namespace declaration", Packet(R"(<ROW xmlns="urn:x" A="1"/>)"), true},
        {"a reference beyond ASCII", Packet(R"(<ROW A="&#xE9;&#x1F600;"/>)"), true},
        {"XML 1.1", Packet(R"(<ROW A="1"/>)", kFields, "<?xml version=\"1.1\"?>"), true},
        {"deep nesting", Packet("<ROW A=\"1\">" + deep + "</ROW>"), true},
        {"a document type", "<!DOCTYPE DATAPACKET []>" + Packet(R"(<ROW A="1"/>)", kFields, ""),
         false},
        {"an undefined entity", Packet(R"(<ROW A="&nbsp;"/>)"), false},
        {"a reference to NUL", Packet(R"(<ROW A="&#0;"/>)"), false},
        {"a reference with a capital X", Packet(R"(<ROW A="&#X41;"/>)"), false},
        {"an unterminated reference", Packet(R"(<ROW A="&amp"/>)"), false},
        {"a field named twice in a row", Packet(R"(<ROW A="1" B="2" A="3"/>)"), false},
        {"another attribute named twice", Packet(R"(<ROW A="1" X="2" X="3"/>)"), false},
        {"an attribute named twice elsewhere", Packet(R"(<ROW A="1"><X Y="1" Y="2"/></ROW>)"),
         false},
        {"attributes without white space between", Packet(R"(<ROW A="1"B="2"/>)"), false},
        {"an end tag that does not match", Packet(R"(<ROW A="1"></ROWS>)"), false},
        {"an unclosed root", Packet(R"(<ROW A="1"/>)").substr(0, 150), false},
        {"content after the root", Packet(R"(<ROW A="1"/>)") + "<ROW/>", false},
        {"'<' in a value", Packet(R"(<ROW A="a<b"/>)"), false},
        {"a control character in a value", Packet("<ROW A=\"a\x01\"/>"), false},
        {"a lead byte before the closing quote", Packet("<ROW A=\"a\x81\"/>"), false},
        {"a lead byte before a reference", Packet("<ROW A=\"\x81&amp;\"/>"), false},
        {"a byte that starts no GBK character", Packet("<ROW A=\"a\xFF b\"/>"), false},
        {"an unquoted value", Packet("<ROW A=1/>"), false},
        {"the declaration not at the start",
         " " + Packet(R"(<ROW A="1"/>)", kFields, "<?xml version=\"1.0\"?>"), false},
        {"a declaration without a version", Packet("", kFields, "<?xml encoding=\"GBK\"?>"), false},
        {"an empty encoding name", Packet("", kFields, "<?xml version=\"1.0\" encoding=\"\"?>"),
         false},
        {"a root other than DATAPACKET", "<PACKET><METADATA/></PACKET>", false},
        {"no METADATA", "<DATAPACKET><ROWDATA/></DATAPACKET>", false},
        {"an empty root", "<DATAPACKET/>", false},
        {"two fields of one name", Packet("", R"(<FIELD attrname="A"/><FIELD attrname="a"/>)"),
         false},
        {"empty text", "", false},
    };
    for (const Other& text : texts) {
        EXPECT_FALSE(ScanDataPacket(text.text).has_value()) << text.what;
        if (text.libxml2Reads) {
            EXPECT_NO_THROW(ParseDataPacket(text.text)) << text.what;
        } else {
            EXPECT_THROW(ParseDataPacket(text.text), EDataSetError) << text.what;
        }
    }
}

} // namespace
