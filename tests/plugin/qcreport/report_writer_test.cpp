// The report packet: one carriage return per line, no line feed, fragments ended by their
// terminator, values copied unchanged.
#include "qcreport/ReportWriter.h"

#include <gtest/gtest.h>

namespace {

using morvane::qcreport::TReportPacket;

TEST(ReportPacket, LinesEndInOneCarriageReturnAndFragmentsInTheirTerminator) {
    TReportPacket packet;
    TReportPacket measure = TReportPacket::Measuring();
    for (TReportPacket* p : {&packet, &measure}) {
        p->AppendLine(TReportPacket::kDeclaration);
        p->AppendLine({"  <A V=\"", "x\"<&", "\"/>"});
        p->AppendFragment(" B=\"1", '"');
        p->AppendFragment("<C", 0);
        p->AppendFragment({" D", "=\"", "2"}, '"');
        p->AppendFragment({"", "3"}, 0);
        p->AppendLine("/>");
    }
    EXPECT_EQ(packet.Text(), "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\r"
                             "  <A V=\"x\"<&\"/>\r"
                             " B=\"1\"<C D=\"2\"3/>\r");
    // Measuring counts exactly what the same appends write, and holds none of it.
    EXPECT_EQ(measure.Size(), packet.Text().size());
    EXPECT_EQ(measure.Text(), "");
    std::string taken = packet.Take();
    EXPECT_EQ(taken.find('\n'), std::string::npos);
}

TEST(ReportPacket, AppendMeasuredWritesOnceIntoMemoryThatHoldsWhatFollows) {
    // Long enough that the reservation is not rounded up past what follows.
    const std::string value(40, 'v');
    auto write = [&](TReportPacket& out) {
        out.AppendLine({"<R V=\"", value, "\"/>"});
        out.AppendFragment("x", '"');
    };
    TReportPacket packet;
    packet.AppendLine("<A>");
    packet.AppendMeasured(write, 4);
    EXPECT_EQ(packet.Text(), "<A>\r<R V=\"" + value + "\"/>\rx\"");
    // The four bytes announced to follow fit without moving the text.
    const char* before = packet.Text().data();
    packet.AppendLine("</A");
    EXPECT_EQ(packet.Text().data(), before);
    // A part that writes more or less than it measured still holds exactly what it wrote.
    for (const int second : {5, 1, 0}) {
        int run = 0;
        auto uneven = [&](TReportPacket& out) {
            const int lines = run++ == 0 ? 2 : second;
            for (int i = 0; i < lines; ++i) {
                out.AppendLine({"<L", value, "/>"});
            }
        };
        TReportPacket written;
        written.AppendLine("<P>");
        written.AppendMeasured(uneven);
        written.AppendLine("</P>");
        std::string expected = "<P>\r";
        for (int i = 0; i < second; ++i) {
            expected += "<L" + value + "/>\r";
        }
        EXPECT_EQ(written.Text(), expected + "</P>\r") << second;
        EXPECT_EQ(written.Size(), expected.size() + 5) << second;
    }
    // On a measuring packet the write runs once.
    TReportPacket measure = TReportPacket::Measuring();
    measure.AppendMeasured(write, 4);
    EXPECT_EQ(measure.Size(), 13u + 39u);
    EXPECT_EQ(measure.Text(), "");
}

} // namespace
