// CHECK_REPORT: one page of a staff-by-content report with a total score per staff member.
#include "qcreport/QcConversions.h"
#include "qcreport/QcNumbers.h"
#include "qcreport/QcSources.h"
#include "qcreport/ReportWriter.h"
#include "qcreport/StaffCells.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace morvane::qcreport {
namespace {

using zeph::dataset::TClientDataSet;

constexpr std::string_view kClosingTag = "</DATAPACKET>";

struct Content {
    std::string name;
    std::string id;
    std::string sourceId;
};

void AppendRowBlock(TReportPacket& packet, const zeph::dataset::TRecordTable& table,
                    const std::string& staffNo, std::size_t member,
                    const std::vector<Content>& contents, const TStaffCells& cells,
                    const std::vector<std::size_t>& cellFields, long double total) {
    packet.AppendLine("  <ROWDATA>");
    packet.AppendLine({"    <STAFF STAFFNO=\"", staffNo, "\"/>"});
    packet.AppendLine("    <SCORE>");
    for (std::size_t c = 0; c < contents.size(); ++c) {
        const Content& content = contents[c];
        std::optional<std::size_t> row = cells.Row(member, c);
        packet.AppendLine({"    <DATA STAFFNO=\"", staffNo, "\" CONTENTID=\"", content.id,
                           "\" SOURCEID=\"", content.sourceId, "\""});
        for (std::size_t field : cellFields) {
            std::string_view value = row ? table.Value(*row, field) : "";
            packet.AppendFragment({" ", table.Fields()[field].name, "=\"", value}, '"');
        }
        packet.AppendLine("/>");
    }
    packet.AppendLine("    </SCORE>");
    packet.AppendLine({"<TOTLE TOTLESCORE=\"", FormatGeneral(total), "\"/>"});
    packet.AppendLine("</ROWDATA>");
}

// The row blocks of members firstMember..endMember-1, the page.
void AppendPage(TReportPacket& packet, const TClientDataSet& records, const TStaffRows& staff,
                const std::vector<Content>& contents, std::size_t firstMember,
                std::size_t endMember) {
    const zeph::dataset::TRecordTable& table = records.Table();
    // Every field but the three the cell line names itself, in packet order.
    std::vector<std::size_t> cellFields;
    for (std::size_t f = 0; f < records.FieldCount(); ++f) {
        std::string upper = zeph::text::UpperCase(records.FieldDefs()[f].name);
        if (upper != "CONTENTID" && upper != "SOURCEID" && upper != "STAFFNO") {
            cellFields.push_back(f);
        }
    }
    std::size_t contentField = records.FieldByName("ContentID").Index();
    std::size_t totalField = records.FieldByName("TotalScore").Index();
    std::vector<std::string_view> contentIds;
    for (const Content& content : contents) {
        contentIds.push_back(content.id);
    }
    TStaffCells cells(table, staff, contentField, contentIds, firstMember, endMember);
    // Each member's total over its records in packet order, as its filter would visit them.
    std::vector<long double> totals(endMember - firstMember, 0);
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        std::uint32_t member = staff.StaffOfRow(row);
        if (member >= firstMember && member < endMember) {
            totals[member - firstMember] += NumberOrZero(table.Value(row, totalField));
        }
    }
    auto appendBlocks = [&](TReportPacket& out) {
        for (std::size_t member = firstMember; member < endMember; ++member) {
            AppendRowBlock(out, table, staff.Staff().Items()[member], member, contents, cells,
                           cellFields, totals[member - firstMember]);
        }
    };
    // Staff times contents cells can make a page much larger than its packet. The closing tag
    // and its line end follow the page.
    packet.AppendMeasured(appendBlocks, kClosingTag.size() + 1);
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

    const zeph::dataset::TRecordTable& table = records.Table();
    TStaffRows staff(table, records.FieldByName("StaffNo").Index());
    auto n = static_cast<std::int64_t>(staff.Staff().Count());
    if (pageSize == 0) {
        result.count = static_cast<int>(n);
        return;
    }
    std::int64_t first = (static_cast<std::int64_t>(pageNumber) - 1) * pageSize;
    std::int64_t last = first + pageSize - 1;
    if (first <= last && first != n) {
        // A page that starts anywhere but inside the list or just past its end names a member
        // the list does not have: EListError.
        (void)staff.Staff().At(first);
        auto firstMember = static_cast<std::size_t>(first);
        auto endMember = static_cast<std::size_t>(std::min(last + 1, n));
        AppendPage(packet, records, staff, contents, firstMember, endMember);
        result.count = static_cast<int>(endMember - firstMember);
    }
    packet.AppendLine(kClosingTag);
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
