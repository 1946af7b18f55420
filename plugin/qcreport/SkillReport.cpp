// SKILL_REPORT: item scores by staff, one row per staff number, one cell per check item.
#if MORVANE_EDITION_FULL

#include "qcreport/QcConversions.h"
#include "qcreport/QcSources.h"
#include "qcreport/ReportWriter.h"

#include <zeph/dataset/TDistinctList.h>

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

    zeph::dataset::TDistinctList staff;
    std::size_t staffField = records.FieldByName("StaffNo").Index();
    for (records.First(); !records.Eof(); records.Next()) {
        staff.Add(records.Value(staffField));
    }
    for (const std::string& staffNo : staff.Items()) {
        packet.AppendLine("  <ROWDATA>");
        packet.AppendLine({"    <STAFF STAFFNO=\"", staffNo, "\"/>"});
        packet.AppendLine("    <SCORE>");
        for (const Item& item : itemList) {
            records.SetFilter({{"StaffNo", staffNo}, {"ItemID", item.id}});
            std::string_view score = records.FieldByName("Score").Text();
            packet.AppendLine({"    <DATA STAFFNO=\"", staffNo, "\" ITEMNAME=\"", item.name,
                               "\" SCORE=\"", score, "\"/>"});
        }
        packet.AppendLine("    </SCORE>");
        packet.AppendLine("</ROWDATA>");
    }
    packet.AppendLine("</DATAPACKET>");
    result.count = static_cast<int>(staff.Count());
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
