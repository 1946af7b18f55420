// The report packet: one carriage return per line, no line feed, fragments ended by their
// terminator, values copied unchanged.
#include "qcreport/ReportWriter.h"

#include <gtest/gtest.h>

namespace {

using morvane::qcreport::TReportPacket;

TEST(ReportPacket, LinesEndInOneCarriageReturnAndFragmentsInTheirTerminator) {
    TReportPacket packet;
    packet.AppendLine(TReportPacket::kDeclaration);
    packet.AppendLine({"  <A V=\"", "x\"<&", "\"/>"});
    packet.AppendFragment(" B=\"1", '"');
    packet.AppendFragment("<C", 0);
    packet.AppendFragment({" D", "=\"", "2"}, '"');
    packet.AppendLine("/>");
    EXPECT_EQ(packet.Text(), "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\r"
                             "  <A V=\"x\"<&\"/>\r"
                             " B=\"1\"<C D=\"2\"/>\r");
    std::string taken = packet.Take();
    EXPECT_EQ(taken.find('\n'), std::string::npos);
}

} // namespace
