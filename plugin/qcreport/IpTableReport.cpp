// CRTABFORUPDATEIP: a list of addresses folded into rows of a given number of columns.
#if MORVANE_EDITION_FULL

#include "qcreport/QcConversions.h"
#include "qcreport/QcSources.h"
#include "qcreport/ReportWriter.h"

namespace morvane::qcreport {

TConversionResult ConvertIpTable(const std::string& xml, int columns) {
    TConversionResult result;
    zeph::dataset::TClientDataSet records(nullptr);
    try {
        LoadInputRecords(records, xml, "传入的IP记录不是合法的XML格式"_host,
                         "传入的IP记录不可用或记录数为0"_host);
        // Below one column no row would ever close and the packet would not be XML; far more
        // columns than any grid shows would only fill memory with empty attributes.
        if (columns < 1 || columns > kMaxColumns) {
            throw EConversionFailed("需要显示的表格列数无效"_host);
        }
    } catch (const EConversionFailed& e) {
        result.error = e.what();
        return result;
    }
    TReportPacket packet;
    packet.AppendLine(TReportPacket::kDeclaration);
    packet.AppendLine("<DATAPACKET>");
    packet.AppendLine("<ROWDATA>");
    std::size_t ipField = records.FieldByName("IP").Index();
    int k = 0;
    for (records.First(); !records.Eof(); records.Next()) {
        if (k == 0) {
            packet.AppendLine("<ROW");
        }
        packet.AppendLine({" IP", std::to_string(k), " =\"", records.Value(ipField), "\""});
        ++k;
        if (k == columns) {
            packet.AppendLine("/>");
            k = 0;
        }
    }
    if (k > 0 && k < columns) {
        for (int j = k; j < columns; ++j) {
            packet.AppendLine({" IP", std::to_string(j), "=\"\""});
        }
        packet.AppendLine("/>");
    }
    packet.AppendLine("</ROWDATA>");
    packet.AppendLine("</DATAPACKET>");
    result.packet = packet.Take();
    return result;
}

} // namespace morvane::qcreport

#endif
