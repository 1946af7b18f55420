#include "QcBenchPackets.h"

#include <zeph/dataset/DataPacket.h>

#include <vector>

namespace qcbench {
namespace {

using zeph::dataset::TRecordTable;

const char* kDetailFields[] = {
    "SerialNum",   "RecorderNum",  "StaffNo",          "StaffName",
    "ObjectName",  "cFlag",        "EvterNo",          "ContentName",
    "Score",       "cPlanType",    "ContentLevelName", "Errcls",
    "Errlvl",      "ContentInsum", "HandleInfo",       "ImproveAdvice",
    "Name",        "cKind",        "cCheckType",       "ServiceClassDesc",
    "StartTime",   "EndTime",      "DealDuration",     "LisDuration",
    "ArrDuration", "EvtDuration",  "SignataryId",      "AffirmTime",
    "cCheckFlag",  "CommentInfo",  "SourceId",         "IsLine",
    "ItemName",    "ItemScore"};

std::string Staff(int r) {
    return std::to_string(10000 + r % kStaff);
}

std::string ItemName(int i) {
    return zeph::text::Utf8ToGbk("考评项") + std::to_string(i);
}

TRecordTable Table(std::initializer_list<const char*> fields) {
    TRecordTable table;
    for (const char* f : fields) {
        table.AddField({f, "string", 0, {}});
    }
    return table;
}

} // namespace

std::string InputPacket(Kind kind, int records) {
    const std::string staffName = zeph::text::Utf8ToGbk("张三");
    TRecordTable table;
    std::vector<std::string> v;
    auto append = [&table, &v] {
        std::vector<std::string_view> views(v.begin(), v.end());
        table.AppendRow(views);
    };
    switch (kind) {
    case Kind::CheckResult:
        for (const char* f : kDetailFields) {
            table.AddField({f, "string", 0, {}});
        }
        for (int r = 0; r < records; ++r) {
            int serial = r / kItems;
            v.clear();
            v.push_back("SN" + std::to_string(serial));
            for (std::size_t c = 1; c < 32; ++c) {
                v.push_back(c == 2 ? Staff(serial)
                            : c == 3
                                ? staffName + std::to_string(serial % kStaff)
                                : std::string(kDetailFields[c]).substr(0, 4) + std::to_string(c));
            }
            v.push_back(ItemName(r % kItems));
            v.push_back(std::to_string(r % 10));
            append();
        }
        break;
    case Kind::SkillReport:
        table = Table({"StaffNo", "StaffName", "ItemID", "Score", "SerialNum"});
        for (int r = 0; r < records; ++r) {
            v = {Staff(r), staffName, std::to_string((r / kStaff) % kItems), std::to_string(r % 10),
                 "SN" + std::to_string(r)};
            append();
        }
        break;
    case Kind::CheckReport:
        table = Table(
            {"StaffNo", "StaffName", "ContentID", "SourceID", "TotalScore", "Remark", "SerialNum"});
        for (int r = 0; r < records; ++r) {
            v = {Staff(r),
                 staffName,
                 "C" + std::to_string((r / kStaff) % kContents),
                 "1",
                 std::to_string(60 + r % 40) + ".5",
                 "ok",
                 "SN" + std::to_string(r)};
            append();
        }
        break;
    case Kind::CheckPerson:
        table = Table({"StaffNo", "ContentID", "TotalScore", "checktype", "Weight", "SerialNum"});
        for (int r = 0; r < records; ++r) {
            v = {"10001",
                 "C" + std::to_string(r % kContents),
                 std::to_string(60 + r % 40),
                 std::to_string(1 + r % 2),
                 "0.05",
                 "SN" + std::to_string(r)};
            append();
        }
        break;
    case Kind::IpTable:
        table = Table({"IP", "Host"});
        for (int r = 0; r < records; ++r) {
            v = {"10." + std::to_string(r / 65536) + "." + std::to_string(r / 256 % 256) + "." +
                     std::to_string(r % 256),
                 "h" + std::to_string(r)};
            append();
        }
        break;
    }
    return zeph::dataset::WriteDataPacket(table);
}

BenchServices::BenchServices() {
    TRecordTable items = Table({"Name", "ItemID"});
    for (int i = 0; i < kItems; ++i) {
        items.AppendRow({ItemName(i), std::to_string(i)});
    }
    items_ = zeph::dataset::WriteDataPacket(items);
    TRecordTable contents = Table({"ContentID", "ContentName", "SourceID", "Weight"});
    for (int c = kContents - 1; c >= 0; --c) {
        contents.AppendRow(
            {"C" + std::to_string(c), "content" + std::to_string(c), std::to_string(c), "0.05"});
    }
    contents_ = zeph::dataset::WriteDataPacket(contents);
    recordCalls = false;
    defaultSysParam = "Y";
    workerNo = "1";
    staffCityId = "1";
    onStoreProcedure = [](const std::string&, const std::string&, zeph::Variant& result) {
        result = zeph::Variant::ArrayOf({"True", "", "select items", "", ""});
        return true;
    };
    onOpenBySQL = [this](const std::string&, const std::string& sql, const std::string&,
                         zeph::Variant& data) {
        data = sql == "select items" ? items_ : contents_;
        return true;
    };
}

} // namespace qcbench
