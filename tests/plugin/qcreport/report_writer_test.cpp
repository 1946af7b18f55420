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

} // namespace
