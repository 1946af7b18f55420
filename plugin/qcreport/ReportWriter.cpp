#include "qcreport/ReportWriter.h"

namespace morvane::qcreport {

void TReportPacket::AppendLine(std::string_view text) {
    text_ += text;
    text_ += '\r';
}

void TReportPacket::AppendLine(std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) {
        text_ += piece;
    }
    text_ += '\r';
}

void TReportPacket::AppendFragment(std::string_view text, char terminator) {
    text_ += text;
    if (terminator != 0) {
        text_ += terminator;
    }
}

void TReportPacket::AppendFragment(std::initializer_list<std::string_view> pieces,
                                   char terminator) {
    for (std::string_view piece : pieces) {
        text_ += piece;
    }
    if (terminator != 0) {
        text_ += terminator;
    }
}

} // namespace morvane::qcreport
