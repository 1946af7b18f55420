#include "qcreport/ReportWriter.h"

#include <zeph/platform/Memory.h>

namespace morvane::qcreport {
namespace {

std::size_t Length(std::initializer_list<std::string_view> pieces) {
    std::size_t bytes = 0;
    for (std::string_view piece : pieces) {
        bytes += piece.size();
    }
    return bytes;
}

} // namespace

void TReportPacket::Reserve(std::size_t bytes) {
    zeph::platform::ReserveLarge(text_, bytes);
}

// Reports grow to tens of megabytes: growing through the huge-page advice keeps page faults
// from costing more than the writing.
void TReportPacket::MakeRoom(std::size_t bytes) {
    zeph::platform::ReserveForGrowth(text_, text_.size() + bytes);
}

void TReportPacket::AppendLine(std::string_view text) {
    MakeRoom(text.size() + 1);
    text_ += text;
    text_ += '\r';
}

void TReportPacket::AppendLine(std::initializer_list<std::string_view> pieces) {
    MakeRoom(Length(pieces) + 1);
    for (std::string_view piece : pieces) {
        text_ += piece;
    }
    text_ += '\r';
}

void TReportPacket::AppendFragment(std::string_view text, char terminator) {
    MakeRoom(text.size() + 1);
    text_ += text;
    if (terminator != 0) {
        text_ += terminator;
    }
}

void TReportPacket::AppendFragment(std::initializer_list<std::string_view> pieces,
                                   char terminator) {
    MakeRoom(Length(pieces) + 1);
    for (std::string_view piece : pieces) {
        text_ += piece;
    }
    if (terminator != 0) {
        text_ += terminator;
    }
}

} // namespace morvane::qcreport
