// The two records the media-sending service picks up: a send plan (a message for a set time)
// and a send log (a message to go out at once). Each is its fields in a fixed order, written to
// the server as one text joined by "~" and to the host log as a block of "Name: value" lines.
#pragma once

#include <string>
#include <vector>

namespace morvane::shortmsg {

struct TRecordField {
    const char* name;
    std::string value;
};
using TSendRecord = std::vector<TRecordField>;

// What a plan or a log record carries besides its constants.
struct TSendFields {
    std::string missionId;
    std::string staffNo; // as the host gives it
    std::string caption;
    std::string receivers;
    std::string content;
    int priority = 0;
    std::string ipAddress;
    std::string serialNo;
};

// "YYYYMMDDHHMMSS" of the local time, then the staff number with blanks trimmed.
std::string MissionIdentifier(double now, const std::string& workerNo);

// The send time as the plan carries it: "YYYY-MM-DD HH:MM:SS", and its date "YYYY-MM-DD".
// Fixed formats rather than the workstation's regional ones, so that the server reads every
// value alike and can compare them as dates.
std::string SendDateTimeText(double sendTime);
std::string SendDateText(double sendTime);

// The 39 fields of "P_MS_ADDSENDPLAN".
TSendRecord SendPlanRecord(const TSendFields& fields, double sendTime);
// The 24 fields of "P_MS_ADDSENDLOG".
TSendRecord SendLogRecord(const TSendFields& fields, const std::string& logId);

// The procedure's argument: the values joined by "~", unescaped.
std::string JoinRecord(const TSendRecord& record);
// For the host log: CR LF, name, ": ", value for every field, then a final CR LF.
std::string RecordBlock(const TSendRecord& record);

// The name of the first field whose value holds a "~" (which would shift every later field
// of the joined record), or nullptr.
const char* FieldWithSeparator(const TSendRecord& record);

} // namespace morvane::shortmsg
