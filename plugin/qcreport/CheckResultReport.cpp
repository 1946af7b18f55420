// CHECK_RESULT: the check result detail report, one row block per inspected serial.
#if MORVANE_EDITION_FULL

#include "qcreport/QcConversions.h"
#include "qcreport/QcSources.h"
#include "qcreport/ReportWriter.h"

#include <zeph/dataset/TDistinctList.h>

#include <array>
#include <vector>

namespace morvane::qcreport {
namespace {

using zeph::dataset::TClientDataSet;

struct Column {
    const char* titleElement;
    const char* titleUtf8;
    const char* rowElement;
    const char* attribute;
    const char* field;
};

// Columns 1 to 8 precede the item scores, 9 to 32 follow them.
constexpr std::size_t kColumnsBeforeItems = 8;
constexpr std::array<Column, 32> kColumns{{
    {"SERIALNUM", "流水号", "SERIAL", "SERIALNUM", "SerialNum"},
    {"RECORDERNUM", "被检流水号", "RECORD", "RECORDERNUM", "RecorderNum"},
    {"STAFFNO", "被检工号", "STAFFNO", "STAFFNO", "StaffNo"},
    {"STAFFNAME", "被检员姓名", "STAFFNAME", "STAFFNAME", "StaffName"},
    {"OBJECTNAME", "被检对象", "OBJECT", "OBJECTNAME", "ObjectName"},
    {"CFLAG", "质检标识", "FLAG", "CFLAG", "cFlag"},
    {"EVTERNO", "质检工号", "EVTER", "EVTERNO", "EvterNo"},
    {"CONTENTNAME", "考评内容", "CONTENT", "CONTENTNAME", "ContentName"},
    {"SCORE", "总得分", "TOTALSCORE", "SCORE", "Score"},
    {"CPLANTYPE", "计划类型", "PLAN", "CPLANTYPE", "cPlanType"},
    {"CONTENTLEVELNAME", "等级", "CONTENTLEVEL", "CONTENTLEVELNAME", "ContentLevelName"},
    {"ERRCLS", "差错类别", "ERRCLS", "ERRCLS", "Errcls"},
    {"ERRLVL", "差错等级", "ERRLVL", "ERRLVL", "Errlvl"},
    {"CONTENTINSUM", "内容概括", "CONTENTINSUM", "CONTENTINSUM", "ContentInsum"},
    {"HANDLEINFO", "处理情况", "HANDLE", "HANDLEINFO", "HandleInfo"},
    {"IMPROVEADVICE", "改进建议", "IMPROVE", "IMPROVEADVICE", "ImproveAdvice"},
    {"NAME", "放弃原因", "GIVEUP", "NAME", "Name"},
    {"CKIND", "考评方式", "KIND", "CKIND", "cKind"},
    {"CCHECKTYPE", "考评类别", "CHECK", "CCHECKTYPE", "cCheckType"},
    {"SERVICECLASSDESC", "业务类别", "SERVICECLASSDESC", "SERVICECLASSDESC", "ServiceClassDesc"},
    {"STARTTIM", "质检开始时间", "START", "STARTTIME", "StartTime"},
    {"ENDTIME", "质检结束时间", "END", "ENDTIME", "EndTime"},
    {"DEALDURATION", "处理时长", "DEAL", "DEALDURATION", "DealDuration"},
    {"LISDURATION", "放音监听时长", "LIS", "LISDURATION", "LisDuration"},
    {"ARRDURATION", "整理时长", "ARR", "ARRDURATION", "ArrDuration"},
    {"EVTDURATION", "质检总时长", "EVT", "EVTDURATION", "EvtDuration"},
    {"SIGNATARYID", "确认人", "SIGNATARY", "SIGNATARYID", "SignataryId"},
    {"AFFIRMTIME", "确认日期", "AFFIRM", "AFFIRMTIME", "AffirmTime"},
    {"CCHECKFLAG", "复核标识", "CHECKFLAG", "CCHECKFLAG", "cCheckFlag"},
    {"COMMENTINFO", "总体评价", "COMMENT", "COMMENTINFO", "CommentInfo"},
    {"SOURCEID", "记录源", "SOURCE", "SOURCEID", "SourceId"},
    {"ISLINE", "ISLINE", "ISLINE", "ISLINE", "IsLine"},
}};

void AppendTitles(TReportPacket& packet, std::size_t from, std::size_t to) {
    for (std::size_t c = from; c < to; ++c) {
        packet.AppendLine({"    <", kColumns[c].titleElement, " TITLE=\"",
                           zeph::text::HostLiteral(kColumns[c].titleUtf8), "\"/>"});
    }
}

void AppendValues(TReportPacket& packet, const TClientDataSet& records, std::size_t row,
                  const std::array<std::size_t, 32>& fields, std::size_t from, std::size_t to) {
    for (std::size_t c = from; c < to; ++c) {
        packet.AppendLine({"    <", kColumns[c].rowElement, " ", kColumns[c].attribute, "=\"",
                           records.Table().Value(row, fields[c]), "\"/>"});
    }
}

void Convert(zeph::TZephClient& client, const std::string& xml, const std::string& objectId,
             const std::string& contentId, const std::string& key, TReportPacket& packet,
             TConversionResult& result) {
    packet.AppendLine(TReportPacket::kDeclaration);
    packet.AppendLine({"  <DATAPACKET TITLE=\"", "质检结果明细"_host, "\">"});
    TClientDataSet records(nullptr);
    TClientDataSet items(nullptr);
    LoadInputRecords(records, xml, RecordsNotLoadable(), RecordsWithout());
    FetchItemList(client, items, objectId, contentId, key);

    std::vector<std::string> itemNames;
    for (items.First(); !items.Eof(); items.Next()) {
        itemNames.push_back(items.FieldByName("Name").AsString());
    }
    packet.AppendLine("  <TITLEDATA>");
    AppendTitles(packet, 0, kColumnsBeforeItems);
    packet.AppendLine("    <ITEM>");
    for (const std::string& name : itemNames) {
        packet.AppendLine({"    <DATA TITLE=\"", name, "\"/>"});
    }
    packet.AppendLine("    </ITEM>");
    AppendTitles(packet, kColumnsBeforeItems, kColumns.size());
    packet.AppendLine("  </TITLEDATA>");

    // The first record of each serial gives its header and evaluation values.
    std::array<std::size_t, 32> fields{};
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        fields[c] = records.FieldByName(kColumns[c].field).Index();
    }
    zeph::dataset::TDistinctList serials;
    std::vector<std::size_t> firstRows;
    std::size_t row = 0;
    for (records.First(); !records.Eof(); records.Next(), ++row) {
        if (serials.Add(records.Value(fields[0]))) {
            firstRows.push_back(row);
        }
    }

    for (std::size_t s = 0; s < serials.Count(); ++s) {
        const std::string& serial = serials.Items()[s];
        packet.AppendLine("  <ROWDATA>");
        AppendValues(packet, records, firstRows[s], fields, 0, kColumnsBeforeItems);
        packet.AppendLine("    <SCORE>");
        for (const std::string& name : itemNames) {
            records.SetFilter({{"SerialNum", serial}, {"ItemName", name}});
            std::string_view score = records.FieldByName("ItemScore").Text();
            packet.AppendLine({"    <DATA SERIALNUM=\"", serial, "\" ITEMNAME=\"", name,
                               "\" ITEMSCORE=\"", score, "\"/>"});
        }
        packet.AppendLine("    </SCORE>");
        AppendValues(packet, records, firstRows[s], fields, kColumnsBeforeItems, kColumns.size());
        packet.AppendLine("</ROWDATA>");
    }
    packet.AppendLine("</DATAPACKET>");
    result.count = static_cast<int>(serials.Count());
}

} // namespace

TConversionResult ConvertCheckResult(zeph::TZephClient& client, const std::string& xml,
                                     const std::string& objectId, const std::string& contentId,
                                     const std::string& key) {
    return CatchingEveryError([&](TReportPacket& packet, TConversionResult& result) {
        Convert(client, xml, objectId, contentId, key, packet, result);
    });
}

} // namespace morvane::qcreport

#endif
