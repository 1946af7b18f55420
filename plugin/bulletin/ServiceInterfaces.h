// The two web services as they travel on the wire: namespace "http://DefaultNamespace", every
// parameter a string, in the order below. The basic edition's note service has the older
// operations without the sending module.
#pragma once

#include "bulletin/SoapClient.h"

namespace morvane::bulletin {

// BulletinIssueWS1
inline constexpr const char* kIssueParameters[] = {
    "title", "sendStaffNo", "pass", "grade", "typeId", "classGroup", "callCause", "contents"};
inline constexpr const char* kIssueOnTimeParameters[] = {
    "title",      "sendStaffNo", "pass",     "grade",        "typeId",
    "classGroup", "callCause",   "contents", "issueDateTime"};
inline constexpr SoapOperation kIssue{"issue", kIssueParameters};
inline constexpr SoapOperation kIssueOnTime{"issueOnTime", kIssueOnTimeParameters};

// NoteSendWS1, full edition
inline constexpr const char* kSendNewParameters[] = {"title",   "sendStaffNo",  "pass",
                                                     "grade",   "recvStaffNos", "recvClassGroup",
                                                     "content", "sendmodule"};
inline constexpr const char* kSendOnTimeNewParameters[] = {
    "title",          "sendStaffNo", "pass",         "grade",     "recvStaffNos",
    "recvClassGroup", "content",     "sendDateTime", "sendmodule"};
inline constexpr SoapOperation kSendNew{"sendNew", kSendNewParameters};
inline constexpr SoapOperation kSendOnTimeNew{"sendOnTimeNew", kSendOnTimeNewParameters};

// NoteSendWS1, basic edition
inline constexpr const char* kSendParameters[] = {
    "title", "sendStaffNo", "pass", "grade", "recvStaffNos", "recvClassGroup", "content"};
inline constexpr const char* kSendOnTimeParameters[] = {"title",   "sendStaffNo",  "pass",
                                                        "grade",   "recvStaffNos", "recvClassGroup",
                                                        "content", "sendDateTime"};
inline constexpr SoapOperation kSend{"send", kSendParameters};
inline constexpr SoapOperation kSendOnTime{"sendOnTime", kSendOnTimeParameters};

inline constexpr const char* kBulletinService = "BulletinIssueWSService";
inline constexpr const char* kBulletinPort = "BulletinIssueWS";
inline constexpr const char* kNoteService = "NoteSendWSService";
inline constexpr const char* kNotePort = "NoteSendWS";

} // namespace morvane::bulletin
