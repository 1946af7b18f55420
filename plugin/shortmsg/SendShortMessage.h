// Sending a short message: the plug-in sends nothing itself, it writes a send log record (a
// message to go out at once) or a send plan record (a message for a set time) for the
// application server's media-sending service, after the right check and, when asked or when a
// time must be chosen, the edit window.
#pragma once

#include "shortmsg/SendRecords.h"

#include <zeph/client/TZephClient.h>

#include <string>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::shortmsg {

// What one write or query of the server gave.
struct TSendOutcome {
    bool Succeeded = false;
    std::string ReturnValue;
    std::string Message;
};

// Priority is the index of the priority list as text; a text that is not an integer raises
// EConvertError before anything is shown or written. Content comes back as the edit window
// left it.
TSendOutcome SendShortMessage(TInterFacefrmMain& main, const std::string& SerialNo,
                              const std::string& EditSwitch, std::string Timing,
                              const std::string& Priority, const std::string& Caption,
                              std::string Receivers, std::string& Content);

// A new log identifier from "P_MS_GETLOGID" in ReturnValue; no log line.
TSendOutcome GetLogID(zeph::TZephClient& client);

// One record through "P_MS_ADDSENDPLAN" / "P_MS_ADDSENDLOG", with a log line of all its fields.
// The staff number and the IP address are taken at this moment (they need not be set).
TSendOutcome AddSendPlan(zeph::TZephClient& client, TSendFields fields, double sendTime);
TSendOutcome AddSendLog(zeph::TZephClient& client, TSendFields fields, const std::string& logId);

} // namespace morvane::shortmsg
