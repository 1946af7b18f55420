// CHECK_REPORT: one page of a staff-by-content report with a total score per staff member.
#include "qcreport/QcConversions.h"
#include "qcreport/QcNumbers.h"
#include "qcreport/QcSources.h"
#include "qcreport/ReportWriter.h"

#include <zeph/dataset/TDistinctList.h>

#include <cstdint>
#include <vector>

namespace morvane::qcreport {
namespace {

using zeph::dataset::TClientDataSet;

struct Content {
    std::string name;
    std::string id;
    std::string sourceId;
};

void AppendRowBlock(TReportPacket& packet, TClientDataSet& records, const std::string& staffNo,
                    const std::vector<Content>& contents,
                    const std::vector<std::size_t>& cellFields) {
    packet.AppendLine("  <ROWDATA>");
    packet.AppendLine({"    <STAFF STAFFNO=\"", staffNo, "\"/>"});
    packet.AppendLine("    <SCORE>");
    for (const Content& content : contents) {
        records.SetFilter({{"StaffNo", staffNo}, {"ContentID", content.id}});
        packet.AppendLine({"    <DATA STAFFNO=\"", staffNo, "\" CONTENTID=\"", content.id,
                           "\" SOURCEID=\"", content.sourceId, "\""});
        for (std::size_t field : cellFields) {
            packet.AppendFragment(
                {" ", records.FieldDefs()[field].name, "=\"", records.Value(field)}, '"');
        }
        packet.AppendLine("/>");
    }
    packet.AppendLine("    </SCORE>");
    records.SetFilter({{"StaffNo", staffNo}});
    std::size_t totalField = records.FieldByName("TotalScore").Index();
    long double total = 0;
    for (records.First(); !records.Eof(); records.Next()) {
        total += NumberOrZero(records.Value(totalField));
    }
    packet.AppendLine({"<TOTLE TOTLESCORE=\"", FormatGeneral(total), "\"/>"});
    packet.AppendLine("</ROWDATA>");
}

void Convert(zeph::TZephClient& client, const std::string& xml, const std::string& objectId,
             int pageNumber, int pageSize, Edition edition, TReportPacket& packet,
             TConversionResult& result) {
    packet.AppendLine(TReportPacket::kDeclaration);
    packet.AppendLine("  <DATAPACKET>");
    TClientDataSet records(nullptr);
    TClientDataSet contentList(nullptr);
    LoadInputRecords(records, xml, RecordsNotLoadable(), RecordsWithout());
    // The basic edition has always asked with the flag spelled in lower case.
    const char* flag = edition == Edition::Basic ? "zephsc_selfsql" : "ZEPHSC_SELFSQL";
    if (!FetchContentList(client, contentList, objectId, flag)) {
        throw EConversionFailed("查询质检内容列表失败"_host);
    }
    if (!contentList.Active() || contentList.RecordCount() == 0) {
        throw EConversionFailed("查询质检内容列表失败或记录数为0"_host);
    }
    std::vector<Content> contents;
    for (contentList.First(); !contentList.Eof(); contentList.Next()) {
        contents.push_back({contentList.FieldByName("ContentName").AsString(),
                            contentList.FieldByName("ContentID").AsString(),
                            contentList.FieldByName("SourceID").AsString()});
    }
    packet.AppendLine("  <TITLEDATA>");
    packet.AppendLine({"    <ROW TITLE=\"", "工号"_host, "\"/>"});
    for (const Content& content : contents) {
        packet.AppendLine({"    <ROW TITLE=\"", content.name, "\"/>"});
    }
    packet.AppendLine({"    <ROW TITLE=\"", "综合得分"_host, "\"/>"});
    packet.AppendLine("  </TITLEDATA>");

    zeph::dataset::TDistinctList staff;
    std::size_t staffField = records.FieldByName("StaffNo").Index();
    for (records.First(); !records.Eof(); records.Next()) {
        staff.Add(records.Value(staffField));
    }
    auto n = static_cast<std::int64_t>(staff.Count());
    if (pageSize == 0) {
        result.count = static_cast<int>(n);
        return;
    }
    // Every field but the three the cell line names itself, in packet order.
    std::vector<std::size_t> cellFields;
    for (std::size_t f = 0; f < records.FieldCount(); ++f) {
        std::string upper = zeph::text::UpperCase(records.FieldDefs()[f].name);
        if (upper != "CONTENTID" && upper != "SOURCEID" && upper != "STAFFNO") {
            cellFields.push_back(f);
        }
    }
    std::int64_t first = (static_cast<std::int64_t>(pageNumber) - 1) * pageSize;
    std::int64_t last = first + pageSize - 1;
    int blocks = 0;
    for (std::int64_t i = first; i <= last; ++i) {
        if (i == n) {
            break;
        }
        AppendRowBlock(packet, records, staff.At(i), contents, cellFields);
        ++blocks;
    }
    packet.AppendLine("</DATAPACKET>");
    result.count = blocks;
}

} // namespace

TConversionResult ConvertCheckReport(zeph::TZephClient& client, const std::string& xml,
                                     const std::string& objectId, int pageNumber, int pageSize,
                                     Edition edition) {
    return CatchingEveryError([&](TReportPacket& packet, TConversionResult& result) {
        Convert(client, xml, objectId, pageNumber, pageSize, edition, packet, result);
    });
}

} // namespace morvane::qcreport
