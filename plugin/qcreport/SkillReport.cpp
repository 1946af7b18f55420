// SKILL_REPORT: item scores by staff, one row per staff number, one cell per check item.
#if MORVANE_EDITION_FULL

#include "qcreport/QcConversions.h"
#include "qcreport/QcSources.h"
#include "qcreport/ReportWriter.h"
#include "qcreport/StaffCells.h"

#include <optional>
#include <string_view>
#include <vector>

namespace morvane::qcreport {
namespace {

using zeph::dataset::TClientDataSet;

struct Item {
    std::string name;
    std::string id;
};

void Convert(zeph::TZephClient& client, const std::string& xml, const std::string& objectId,
             const std::string& contentId, const std::string& key, TReportPacket& packet,
             TConversionResult& result) {
    packet.AppendLine(TReportPacket::kDeclaration);
    packet.AppendLine("  <DATAPACKET>");
    TClientDataSet records(nullptr);
    TClientDataSet items(nullptr);
    LoadInputRecords(records, xml, RecordsNotLoadable(), RecordsWithout());
    FetchItemList(client, items, objectId, contentId, key);

    std::vector<Item> itemList;
    for (items.First(); !items.Eof(); items.Next()) {
        itemList.push_back(
            {items.FieldByName("NAME").AsString(), items.FieldByName("ItemID").AsString()});
    }
    packet.AppendLine("  <TITLEDATA>");
    packet.AppendLine({"    <ROW TITLE=\"", "工号"_host, "\"/>"});
    for (const Item& item : itemList) {
        packet.AppendLine({"    <ROW TITLE=\"", item.name, "\"/>"});
    }
    packet.AppendLine("  </TITLEDATA>");

    std::size_t staffField = records.FieldByName("StaffNo").Index();
    TStaffRows staff(records.Table(), staffField);
    std::size_t staffCount = staff.Staff().Count();
    std::vector<std::string_view> itemIds;
    for (const Item& item : itemList) {
        itemIds.push_back(item.id);
    }
    std::size_t scoreField = 0;
    std::optional<TStaffCells> cells;
    if (staffCount > 0 && !itemList.empty()) {
        // Resolved where the first cell needs them, so a set without cells needs neither.
        std::size_t itemField = records.FieldByName("ItemID").Index();
        scoreField = records.FieldByName("Score").Index();
        cells.emplace(records.Table(), staff, itemField, itemIds, 0, staffCount);
    }
    auto appendRows = [&](TReportPacket& out) {
        for (std::size_t member = 0; member < staffCount; ++member) {
            const std::string& staffNo = staff.Staff().Items()[member];
            out.AppendLine("  <ROWDATA>");
            out.AppendLine({"    <STAFF STAFFNO=\"", staffNo, "\"/>"});
            out.AppendLine("    <SCORE>");
            for (std::size_t i = 0; i < itemList.size(); ++i) {
                std::optional<std::size_t> row = cells->Row(member, i);
                std::string_view score = row ? records.Table().Value(*row, scoreField) : "";
                out.AppendLine({"    <DATA STAFFNO=\"", staffNo, "\" ITEMNAME=\"", itemList[i].name,
                                "\" SCORE=\"", score, "\"/>"});
            }
            out.AppendLine("    </SCORE>");
            out.AppendLine("</ROWDATA>");
        }
        out.AppendLine("</DATAPACKET>");
    };
    // Staff times items cells can make the report much larger than its packet.
    packet.AppendMeasured(appendRows);
    result.count = static_cast<int>(staffCount);
}

} // namespace

TConversionResult ConvertSkillReport(zeph::TZephClient& client, const std::string& xml,
                                     const std::string& objectId, const std::string& contentId,
                                     const std::string& key) {
    return CatchingEveryError([&](TReportPacket& packet, TConversionResult& result) {
        Convert(client, xml, objectId, contentId, key, packet, result);
    });
}

} // namespace morvane::qcreport

#endif
