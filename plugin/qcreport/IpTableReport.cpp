// CRTABFORUPDATEIP: a list of addresses folded into rows of a given number of columns.
#if MORVANE_EDITION_FULL

#include "qcreport/QcConversions.h"
#include "qcreport/QcSources.h"
#include "qcreport/ReportWriter.h"

#include <cstdint>
#include <new>
#include <string_view>

namespace morvane::qcreport {
namespace {

constexpr std::uint64_t DecimalDigits(std::uint64_t value) {
    std::uint64_t digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

// Bytes of the fill lines " IP{j}=\"\"" + CR for j = from .. columns - 1, counted a run of equal
// digit counts at a time, so a count of billions costs a handful of steps.
std::uint64_t FillBytes(std::uint64_t from, std::uint64_t columns) {
    std::uint64_t bytes = 0;
    for (std::uint64_t low = 1, digits = 1; from < columns; low *= 10, ++digits) {
        const std::uint64_t high = low * 10; // numbers below high have at most `digits` digits
        if (from >= high) {
            continue;
        }
        const std::uint64_t end = columns < high ? columns : high;
        bytes += (end - from) * (7 + digits);
        from = end;
    }
    return bytes;
}

// The exact size of the packet, worked out before anything is allocated.
std::uint64_t PacketBytes(zeph::dataset::TClientDataSet& records, std::size_t ipField,
                          std::uint64_t columns) {
    std::uint64_t bytes = TReportPacket::kDeclaration.size() + 1 + 13 + 10 + 11 + 14;
    std::uint64_t k = 0;
    for (records.First(); !records.Eof(); records.Next()) {
        if (k == 0) {
            bytes += 5; // "<ROW"
        }
        bytes += 8 + DecimalDigits(k) + records.Value(ipField).size();
        if (++k == columns) {
            bytes += 3; // "/>"
            k = 0;
        }
    }
    if (k > 0) {
        bytes += FillBytes(k, columns) + 3;
    }
    return bytes;
}

} // namespace

TConversionResult ConvertIpTable(const std::string& xml, int columns) {
    TConversionResult result;
    zeph::dataset::TClientDataSet records(nullptr);
    try {
        LoadInputRecords(records, xml, "传入的IP记录不是合法的XML格式"_host,
                         "传入的IP记录不可用或记录数为0"_host);
        // Below one column no row would ever close and the packet would not be XML.
        if (columns < 1) {
            throw EConversionFailed("需要显示的表格列数无效"_host);
        }
    } catch (const EConversionFailed& e) {
        result.error = e.what();
        return result;
    }
    const std::size_t ipField = records.FieldByName("IP").Index();
    // A count so large that its empty fill would not fit is refused before anything is built.
    const std::uint64_t bytes = PacketBytes(records, ipField, static_cast<std::uint64_t>(columns));
    TReportPacket packet;
    try {
        if (bytes > kMaxIpTableBytes) {
            throw std::bad_alloc();
        }
        packet.Reserve(static_cast<std::size_t>(bytes));
    } catch (const std::bad_alloc&) {
        result.error = "需要显示的表格列数过大，表格超出可用内存"_host;
        return result;
    }
    packet.AppendLine(TReportPacket::kDeclaration);
    packet.AppendLine("<DATAPACKET>");
    packet.AppendLine("<ROWDATA>");
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
