// Packets come from outside: whatever is not a readable packet is refused with EDataSetError,
// and nothing outside the text (files, entities, network) is ever read.
#include <zeph/dataset/DataPacket.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using zeph::dataset::EDataSetError;
using zeph::dataset::ReadDataPacket;

const std::string kFields = R"(<METADATA><FIELDS><FIELD attrname="A" fieldtype="string"/>)"
                            R"(</FIELDS><PARAMS/></METADATA>)";

struct RefusedCase {
    const char* name;
    std::string text;
};

std::string BillionLaughs() {
    std::string dtd = "<!DOCTYPE DATAPACKET [<!ENTITY l0 \"ha\">";
    for (int i = 1; i <= 9; ++i) {
        dtd += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) {
            dtd += "&l" + std::to_string(i - 1) + ";";
        }
        dtd += "\">";
    }
    return dtd + "]><DATAPACKET Version=\"2.0\">" + kFields + "<ROWDATA><ROW A=\"&l9;\"/>" +
           "</ROWDATA></DATAPACKET>";
}

TEST(PacketRefusal, TextThatIsNotAReadablePacket) {
    const RefusedCase cases[] = {
        {"empty", ""},
        {"not xml", "hello"},
        {"unclosed", "<DATAPACKET Version=\"2.0\">" + kFields + "<ROWDATA><ROW A=\"1\">"},
        {"mismatched tags", "<DATAPACKET>" + kFields + "<ROWDATA></ROW></DATAPACKET>"},
        {"other root", "<PACKET>" + kFields + "</PACKET>"},
        {"no metadata", "<DATAPACKET Version=\"2.0\"><ROWDATA/></DATAPACKET>"},
        {"duplicate field",
         R"(<DATAPACKET><METADATA><FIELDS><FIELD attrname="A" fieldtype="string"/>)"
         R"(<FIELD attrname="a" fieldtype="string"/></FIELDS></METADATA></DATAPACKET>)"},
        {"field without name",
         R"(<DATAPACKET><METADATA><FIELDS><FIELD fieldtype="string"/></FIELDS></METADATA>)"
         R"(</DATAPACKET>)"},
        {"repeated attribute",
         "<DATAPACKET>" + kFields + R"(<ROWDATA><ROW A="1" A="2"/></ROWDATA></DATAPACKET>)"},
        {"undeclared entity",
         "<DATAPACKET>" + kFields + R"(<ROWDATA><ROW A="&nope;"/></ROWDATA></DATAPACKET>)"},
        {"rows before metadata",
         R"(<DATAPACKET><ROWDATA><ROW A="1"/></ROWDATA>)" + kFields + "</DATAPACKET>"},
        {"two row sets", "<DATAPACKET>" + kFields + "<ROWDATA/><ROWDATA/></DATAPACKET>"},
        {"invalid gbk bytes", "<DATAPACKET>" + kFields + "<ROWDATA><ROW A=\"\x81\x20\xff\"/>" +
                                  "</ROWDATA></DATAPACKET>"},
        {"truncated gbk character", "<DATAPACKET>" + kFields + "<ROWDATA><ROW A=\"\xb0"},
        {"billion laughs", BillionLaughs()},
        {"internal entity", "<!DOCTYPE DATAPACKET [<!ENTITY e \"x\">]><DATAPACKET>" + kFields +
                                R"(<ROWDATA><ROW A="&e;"/></ROWDATA></DATAPACKET>)"},
        {"external dtd", "<!DOCTYPE DATAPACKET SYSTEM \"http://127.0.0.1:9/x.dtd\"><DATAPACKET>" +
                             kFields + "</DATAPACKET>"},
        {"nul byte", std::string("<DATAPACKET>\0", 13) + kFields + "</DATAPACKET>"},
    };
    for (const RefusedCase& c : cases) {
        EXPECT_THROW(ReadDataPacket(c.text), EDataSetError) << c.name;
    }
}

TEST(PacketRefusal, ExternalEntityFileIsNeverRead) {
    auto path = std::filesystem::temp_directory_path() / "qc_xxe_secret.txt";
    { std::ofstream(path) << "SECRET-CONTENT"; }
    std::string packet = "<!DOCTYPE DATAPACKET [<!ENTITY x SYSTEM \"file://" + path.string() +
                         "\">]><DATAPACKET>" + kFields +
                         R"(<ROWDATA><ROW A="&x;"/></ROWDATA></DATAPACKET>)";
    try {
        ReadDataPacket(packet);
        ADD_FAILURE() << "an external entity packet was accepted";
    } catch (const EDataSetError& e) {
        EXPECT_EQ(std::string(e.what()).find("SECRET"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("document type"), std::string::npos) << e.what();
    }
    std::filesystem::remove(path);
}

TEST(PacketRefusal, HugeAttributeValueIsRefusedNotSwallowed) {
    // Beyond the parser's default text limit (10 MB) a value is refused.
    std::string packet = "<DATAPACKET>" + kFields + "<ROWDATA><ROW A=\"" +
                         std::string(11 * 1024 * 1024, 'x') + "\"/></ROWDATA></DATAPACKET>";
    EXPECT_THROW(ReadDataPacket(packet), EDataSetError);
    // A large value below it is read whole.
    std::string big(1024 * 1024, 'y');
    auto table = ReadDataPacket("<DATAPACKET>" + kFields + "<ROWDATA><ROW A=\"" + big +
                                "\"/></ROWDATA></DATAPACKET>");
    EXPECT_EQ(table.Value(0, 0), big);
}

TEST(PacketRefusal, MessagesNameTheProblem) {
    try {
        ReadDataPacket(R"(<DATAPACKET><METADATA><FIELDS><FIELD attrname="StaffNo"/>)"
                       R"(<FIELD attrname="STAFFNO"/></FIELDS></METADATA></DATAPACKET>)");
        ADD_FAILURE();
    } catch (const EDataSetError& e) {
        EXPECT_NE(std::string(e.what()).find("Duplicate field name 'STAFFNO'"), std::string::npos)
            << e.what();
    }
}

} // namespace
