#include "shortmsg/SendRecords.h"

#include <zeph/forms/DateTime.h>
#include <zeph/text/HostText.h>

#include <cstdio>

namespace morvane::shortmsg {

namespace forms = zeph::forms;

std::string MissionIdentifier(double now, const std::string& workerNo) {
    const forms::DateTimeParts p = forms::DecodeDateTime(now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second);
    return stamp + zeph::text::Trim(workerNo);
}

std::string SendDateTimeText(double sendTime) {
    return forms::FormatDateTime(sendTime);
}

std::string SendDateText(double sendTime) {
    return forms::FormatDateTime(forms::DateOf(sendTime)).substr(0, 10);
}

TSendRecord SendPlanRecord(const TSendFields& f, double sendTime) {
    const std::string date = SendDateText(sendTime);
    return {
        {"MissionID", f.missionId},
        {"LogEnabled", "1"},
        {"StaffNo", f.staffNo},
        {"SendClass", "2"},
        {"MissionName", f.caption},
        {"MissionCaption", f.caption},
        {"MissionType", "6"},
        {"DayOfYear", ""},
        {"MonthOfYear", ""},
        {"DayOfMonth", ""},
        {"DayOfWeek", ""},
        {"SpaceDay", "0"},
        {"SpaceHour", "0"},
        {"SpaceMinute", "0"},
        {"SendDateTime", SendDateTimeText(sendTime)},
        {"NextExecute", ""},
        {"BeginDate", date},
        {"EndDate", date},
        {"PriorFlag", std::to_string(f.priority)},
        {"MSID", ""},
        {"AttachmentFlag", "0"},
        {"ReceiverType", "2"},
        {"GroupID", ""},
        {"ProcedureID", ""},
        {"ReceiverMessage", f.receivers},
        {"ContentClass", "2"},
        {"ContentProcID", ""},
        {"Params", ""},
        {"TemplateID", ""},
        {"ContentFile", ""},
        {"FileFormat", "0"},
        {"Content", f.content},
        {"AppendProcID", ""},
        {"AppendFileName", ""},
        {"IPAddress", f.ipAddress},
        {"SerialNo", f.serialNo},
        {"CommitTime", ""},
        {"CommitResult", ""},
        {"CommitResultMessage", ""},
    };
}

TSendRecord SendLogRecord(const TSendFields& f, const std::string& logId) {
    return {
        {"LogID", logId},
        {"LogEnabled", "1"},
        {"MissionID", ""},
        {"SendClass", "2"},
        {"ReceiverID", ""},
        {"ReceiverMessage", f.receivers},
        {"MissionCaption", f.caption},
        {"ContentClass", "2"},
        {"ContentFile", ""},
        {"FileFormat", "0"},
        {"Content", f.content},
        {"SPID", ""},
        {"Params", ""},
        {"TemplateID", ""},
        {"AppendFile", ""},
        {"PriorFlag", std::to_string(f.priority)},
        {"MSID", ""},
        {"MonitorLogID", ""},
        {"StaffNo", f.staffNo},
        {"locIP", f.ipAddress},
        {"SerialNo", f.serialNo},
        {"CommitTime", ""},
        {"CommitResult", ""},
        {"CommitResultMessage", ""},
    };
}

std::string JoinRecord(const TSendRecord& record) {
    std::string joined;
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (i > 0) {
            joined += '~';
        }
        joined += record[i].value;
    }
    return joined;
}

std::string RecordBlock(const TSendRecord& record) {
    std::string block;
    for (const TRecordField& field : record) {
        block += "\r\n";
        block += field.name;
        block += ": ";
        block += field.value;
    }
    block += "\r\n";
    return block;
}

const char* FieldWithSeparator(const TSendRecord& record) {
    for (const TRecordField& field : record) {
        // Character-aware: a "~" that is the trail byte of a double-byte character is no
        // separator.
        if (zeph::text::Contains(field.value, "~")) {
            return field.name;
        }
    }
    return nullptr;
}

} // namespace morvane::shortmsg
