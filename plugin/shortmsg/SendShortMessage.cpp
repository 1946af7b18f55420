#include "shortmsg/SendShortMessage.h"

#include "core/IntegerArgument.h"
#include "core/untZeph.h"
#include "shortmsg/untSMEdit.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/forms/DateTime.h>
#include <zeph/text/HostText.h>

#include <optional>

namespace morvane::shortmsg {
namespace {

namespace forms = zeph::forms;

// The result array of a procedure, read as far as the steps need it: element 0 the call's
// flag, 1 the server's message; only when the flag is true, 2 the return code and, when that is
// 0, 3 the returned value. A refusal needs only its message, so what its other elements hold
// never hides it. Nothing when it is not an array of at least four elements, when no flag was
// filled in (the array comes back as it was created when the host could not reach the server),
// or when an element the steps read does not convert.
struct TProcedureResult {
    bool flag = false;
    std::string message;
    bool codeIsZero = false;
    std::string value;
};

std::optional<TProcedureResult> ReadResult(const zeph::Variant& result) {
    if (!result.IsArray() || result.LowBound() > 0 || result.HighBound() < 3 ||
        result[0].IsEmptyOrNull()) {
        return std::nullopt;
    }
    try {
        TProcedureResult read;
        read.flag = result[0].AsBoolean();
        read.message = result[1].AsText();
        if (read.flag) {
            read.codeIsZero = result[2].AsInteger() == 0;
            if (read.codeIsZero) {
                read.value = result[3].AsText();
            }
        }
        return read;
    } catch (const zeph::EVariantError&) {
        return std::nullopt;
    }
}

const std::string& ServerUnreachable() {
    return "调用应用服务器接口失败"_host;
}

struct TRecordKind {
    const char* procedure;
    int highBound;
    const char* succeededPrefix;
    const char* failedPrefix;
    const char* refusedPrefix;
    bool taskIdLine; // the log's block ends with the task identifier
};

const TRecordKind kPlan{"P_MS_ADDSENDPLAN",
                        6,
                        "调用媒体发送计划接口，调用成功，参数：",
                        "调用媒体发送计划接口，调用失败，参数：",
                        "调用媒体发送计划接口，拒绝调用：",
                        false};
const TRecordKind kLog{"P_MS_ADDSENDLOG",
                       3,
                       "调用媒体发送日志接口，调用成功，参数：",
                       "调用媒体发送日志接口，调用失败，参数：",
                       "调用媒体发送日志接口，拒绝调用：",
                       true};

std::string Host(const char* utf8) {
    return zeph::text::HostLiteral(utf8);
}

// The record format has no escape, so a "~" in a value would move every later field: such a
// record is refused, logged with its fields, and never reaches the server.
bool RefuseSeparator(zeph::TZephClient& client, const TSendRecord& record, const TRecordKind& kind,
                     TSendOutcome& outcome) {
    const char* field = FieldWithSeparator(record);
    if (field == nullptr) {
        return false;
    }
    outcome.Succeeded = false;
    outcome.ReturnValue.clear();
    outcome.Message = "字段 "_host + field + " 含有分隔符“~”，短信未发送"_host;
    client.WriteLog(
        Host(kind.refusedPrefix) + outcome.Message + "，参数："_host + RecordBlock(record), "");
    return true;
}

TSendOutcome WriteRecord(zeph::TZephClient& client, const TSendRecord& record,
                         const TRecordKind& kind) {
    TSendOutcome outcome;
    if (RefuseSeparator(client, record, kind, outcome)) {
        return outcome;
    }
    zeph::Variant result = zeph::Variant::Array(0, kind.highBound);
    client.StoreProcedure(kind.procedure, JoinRecord(record), result);
    if (const std::optional<TProcedureResult> read = ReadResult(result)) {
        outcome.Message = read->message;
        if (read->flag && read->codeIsZero) {
            outcome.Succeeded = true;
            outcome.ReturnValue = read->value;
        }
    } else {
        outcome.Message = ServerUnreachable();
    }
    std::string line =
        Host(outcome.Succeeded ? kind.succeededPrefix : kind.failedPrefix) + RecordBlock(record);
    if (kind.taskIdLine) {
        line += "TaskID: " + outcome.ReturnValue;
    }
    client.WriteLog(line, "");
    return outcome;
}

TSendFields WithDeskValues(zeph::TZephClient& client, TSendFields fields) {
    fields.staffNo = client.GetWorkerNO();
    fields.ipAddress = zeph::LocalComputerIPString();
    return fields;
}

} // namespace

TSendOutcome GetLogID(zeph::TZephClient& client) {
    TSendOutcome outcome;
    zeph::Variant result = zeph::Variant::Array(0, 3);
    client.StoreProcedure("P_MS_GETLOGID", "", result);
    const std::optional<TProcedureResult> read = ReadResult(result);
    if (!read) {
        outcome.Message = ServerUnreachable();
    } else if (read->flag && read->codeIsZero) {
        outcome.Succeeded = true;
        outcome.ReturnValue = read->value;
    } else {
        outcome.Message = read->message;
    }
    return outcome;
}

TSendOutcome AddSendPlan(zeph::TZephClient& client, TSendFields fields, double sendTime) {
    return WriteRecord(client, SendPlanRecord(WithDeskValues(client, std::move(fields)), sendTime),
                       kPlan);
}

TSendOutcome AddSendLog(zeph::TZephClient& client, TSendFields fields, const std::string& logId) {
    return WriteRecord(client, SendLogRecord(WithDeskValues(client, std::move(fields)), logId),
                       kLog);
}

TSendOutcome SendShortMessage(TInterFacefrmMain& main, const std::string& SerialNo,
                              const std::string& EditSwitch, std::string Timing,
                              const std::string& Priority, const std::string& Caption,
                              std::string Receivers, std::string& Content) {
    TSendOutcome outcome;
    zeph::TZephClient& client = main.ZephClient;
    TSendFields fields;
    fields.missionId = MissionIdentifier(forms::Now(), client.GetWorkerNO());

    if (!client.HasAuth("02", "010304")) {
        zeph::InfoDlg("你没有发送短讯的权限"_host, forms::kNoOwner);
        return outcome;
    }
    int priority = TextToInteger(Priority);

    double sendTime = 0;
    if (EditSwitch == "1" || Timing == "1") {
        TfrmSMEdit form(nullptr, client);
        form.edtSerialNo.SetText(SerialNo);
        if (priority >= 0 && priority < form.cmbPriorFlag.Items.Count()) {
            form.cmbPriorFlag.SetItemIndex(priority);
        }
        form.memContent.SetText(Content);
        if (!zeph::text::Trim(Receivers).empty()) {
            form.edtReceiverMessage.SetText(Receivers);
        }
        if (Timing == "0") {
            form.rbAtOnce.SetChecked(true);
        } else {
            form.rbByTime.SetChecked(true);
        }
        if (form.ShowModal() != forms::ModalResult::Ok) {
            outcome.Message = "CancelTask";
            return outcome;
        }
        priority = form.cmbPriorFlag.ItemIndex();
        Content = form.memContent.Text();
        Receivers = form.edtReceiverMessage.Text();
        Timing = form.rbAtOnce.Checked() ? "0" : "1";
        sendTime = form.dtpDate.Date() + form.dtpTime.Time();
    }

    fields.caption = Caption;
    fields.receivers = Receivers;
    fields.content = Content;
    fields.priority = priority;
    fields.serialNo = SerialNo;
    if (Timing == "0") {
        // Refused before an identifier is taken, so that a record that cannot be written costs
        // the server nothing.
        if (RefuseSeparator(client, SendLogRecord(WithDeskValues(client, fields), ""), kLog,
                            outcome)) {
            return outcome;
        }
        const TSendOutcome logId = GetLogID(client);
        if (!logId.Succeeded) {
            return logId;
        }
        return AddSendLog(client, fields, logId.ReturnValue);
    }
    if (Timing == "1") {
        return AddSendPlan(client, fields, sendTime);
    }
    return outcome;
}

} // namespace morvane::shortmsg
