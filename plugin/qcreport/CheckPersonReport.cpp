// CHECK_PERSON: one staff member's evaluation, content by content, with a weighted total.
#include "qcreport/QcConversions.h"
#include "qcreport/QcNumbers.h"
#include "qcreport/QcSources.h"
#include "qcreport/ReportWriter.h"

#include <string>
#include <vector>

namespace morvane::qcreport {
namespace {

using zeph::dataset::TClientDataSet;

struct Content {
    std::string id;
    std::string sourceId;
    std::string name;
};

// A field of the input records looked up when first read, so that a missing field raises
// exactly where the report first needs it.
class LazyField {
public:
    explicit LazyField(const char* name) : name_(name) {}
    std::string_view Text(const TClientDataSet& records) {
        if (index_ == kUnresolved) {
            index_ = records.FieldByName(name_).Index();
        }
        return records.Value(index_);
    }

private:
    const char* name_;
    static constexpr std::size_t kUnresolved = static_cast<std::size_t>(-1);
    std::size_t index_ = kUnresolved;
};

struct ScoreFields {
    LazyField totalScore{"TotalScore"};
    LazyField checkType{"checktype"};
    LazyField weight{"Weight"};
};

// Empty once blanks and control characters are trimmed; asked without copying the text, which
// may be a large packet.
bool IsBlank(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) > 0x20) {
            return false;
        }
    }
    return true;
}

// Mode N averages a content's scores; any other mode deducts from 100.
enum class Scoring { Average, Deduction };

void AppendContent(TReportPacket& packet, TClientDataSet& records, const Content& content,
                   Scoring scoring, Edition edition, ScoreFields& fields, long double& grandTotal) {
    packet.AppendLine("\t<ROWDATA>");
    records.SetFilter({{"CONTENTID", content.id}});
    std::size_t m = records.RecordCount();
    bool sourceZero = content.sourceId == "0";
    const std::string& label = sourceZero ? "被检流水号"_host : "指标项"_host;
    packet.AppendLine({"\t    <CONTENT COUNT=\"", std::to_string(m + 2), "\" CONTENTNAME=\"",
                       content.name, "\">"});
    packet.AppendLine({"\t      <DATA ITEMNAME=\"", label, "\"/>"});
    if (edition == Edition::Full) {
        packet.AppendLine({"\t      <DATA ITEMNAME=\"", "考评类别"_host, "\"/>"});
    }
    packet.AppendLine({"\t      <DATA ITEMNAME=\"", "得分"_host, "\"/>"});
    packet.AppendLine("\t    </CONTENT>");
    packet.AppendLine({"\t\t\t<ITEM SOURCEID=\"", content.sourceId, "\">"});

    // Each field's ` NAME="`, put together once rather than for every record.
    std::vector<std::string> prefixes;
    prefixes.reserve(records.FieldCount());
    for (const zeph::dataset::TFieldDef& def : records.FieldDefs()) {
        prefixes.push_back(" " + def.name + "=\"");
    }
    long double s = 0;
    for (records.First(); !records.Eof(); records.Next()) {
        packet.AppendFragment("       <DATA ", 0);
        packet.AppendFragment(" FLAG=\"1", '"');
        for (std::size_t f = 0; f < prefixes.size(); ++f) {
            packet.AppendFragment({prefixes[f], records.Value(f)}, '"');
        }
        packet.AppendLine("/>");
        if (sourceZero) {
            if (scoring == Scoring::Average) {
                s += NumberOrZero(fields.totalScore.Text(records));
            } else if (fields.checkType.Text(records) == "1") {
                s += 100 - NumberOrZero(fields.totalScore.Text(records));
            }
        }
    }
    if (!sourceZero) {
        // The walk ended on the last matching record.
        s = NumberOrZero(fields.totalScore.Text(records));
    } else if (m == 0) {
        s = 0;
    } else if (scoring == Scoring::Average) {
        s = s / static_cast<long double>(m);
    } else {
        s = s >= 100 ? 0 : 100 - s;
    }
    packet.AppendLine(
        {"       <DATA FLAG=\"2\" ITEM=\"", "总分"_host, "\" SCORE=\"", FormatFixed2(s), "\"/>"});
    grandTotal += NumberOrZero(fields.weight.Text(records)) * s;
    packet.AppendLine("    </ITEM>");
    packet.AppendLine("  </ROWDATA>");
}

} // namespace

TConversionResult ConvertCheckPerson(zeph::TZephClient& client, const std::string& xml,
                                     const std::string& objectId, const std::string& staffNo,
                                     Edition edition) {
    TConversionResult result;
    TReportPacket packet;
    TClientDataSet records(nullptr);
    TClientDataSet contentList(nullptr);
    try {
        if (IsBlank(xml)) {
            throw EConversionFailed("传入的考评记录数据集为空"_host);
        }
        if (IsBlank(objectId)) {
            throw EConversionFailed("传入的考评对象为空"_host);
        }
        if (IsBlank(staffNo)) {
            throw EConversionFailed("传入的被质检员工号为空"_host);
        }
        LoadInputRecords(records, xml, RecordsNotLoadable(), std::string());
        if (!FetchContentList(client, contentList, objectId, "ZEPHSC_SELFSQL")) {
            throw EConversionFailed("根据考评对象查询考评内容失败"_host);
        }
        if (!contentList.Active() || !records.Active()) {
            throw EConversionFailed("没有查询到质检的数据"_host);
        }
    } catch (const EConversionFailed& e) {
        result.error = e.what();
        return result;
    }
    // Everything below raises to the caller: this conversion catches only its own failures.
    Scoring scoring = Scoring::Average;
    if (edition == Edition::Full) {
        std::string mode = zeph::text::UpperCase(client.GetSysParam("QC", "21"));
        scoring = mode == "N" ? Scoring::Average : Scoring::Deduction;
    }
    // Every record is written with all its fields: the report is about the packet's size.
    packet.Reserve(xml.size() + xml.size() / 4);
    packet.AppendLine(TReportPacket::kDeclaration);
    packet.AppendLine("<DATAPACKET Version=\"2.0\">");
    packet.AppendLine("  <CAPTION>");
    packet.AppendLine({"    <ROW STAFFNO=\"", staffNo, "\"/>"});
    packet.AppendLine("  </CAPTION>");
    packet.AppendLine("  <TITLEDATA>");
    packet.AppendLine({"  \t<ROW TITLE=\"", "评价内容"_host, "\"/>"});
    packet.AppendLine({"    <ROW TITLE=\"", "指标项"_host, "\"/>"});
    packet.AppendLine({"\t  <ROW TITLE=\"", "得分"_host, "\"/>"});
    packet.AppendLine("  </TITLEDATA>");

    std::vector<Content> contents;
    for (contentList.First(); !contentList.Eof(); contentList.Next()) {
        contents.push_back({contentList.FieldByName("ContentID").AsString(),
                            contentList.FieldByName("SourceID").AsString(),
                            contentList.FieldByName("CONTENTNAME").AsString()});
    }
    long double grandTotal = 0;
    ScoreFields fields;
    for (const Content& content : contents) {
        AppendContent(packet, records, content, scoring, edition, fields, grandTotal);
    }
    packet.AppendLine({"<TOTALSCORE SCORE=\"", FormatFixed2(grandTotal), "\"/>"});
    packet.AppendLine("</DATAPACKET>");
    result.packet = packet.Take();
    return result;
}

} // namespace morvane::qcreport
