// The report packet: GBK text built line by line, each line ended by exactly one carriage
// return and no line feed. Values are copied between the quotes unchanged.
#pragma once

#include <zeph/platform/Memory.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace morvane::qcreport {

class TReportPacket {
public:
    // The declaration every report packet starts with.
    static constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"GB2312\" ?>";

    // A packet that holds nothing and only counts the bytes the same appends would write. A
    // report runs its appends on one first (AppendMeasured), so that the real packet is reserved
    // once at its exact size: grown geometrically, a report can hold up to twice what it needs,
    // and three times while it moves.
    static TReportPacket Measuring() noexcept {
        TReportPacket packet;
        packet.measuring_ = true;
        return packet;
    }

    // append-line: the text (its pieces in order) and one carriage return. Reports run to
    // hundreds of thousands of appends, so these are inline.
    void AppendLine(std::string_view text) { Append({text}, '\r'); }
    void AppendLine(std::initializer_list<std::string_view> pieces) { Append(pieces, '\r'); }
    // append-fragment: the text and the terminator, a double quote or nothing (0).
    void AppendFragment(std::string_view text, char terminator) { Append({text}, terminator); }
    void AppendFragment(std::initializer_list<std::string_view> pieces, char terminator) {
        Append(pieces, terminator);
    }

    // Runs write(packet) on a measuring packet, reserves this one once for what it holds, what
    // write appends and bytesToFollow (appends still to come after it), then runs write on it.
    // A part whose size cannot be known before its cells are looked up is written so. On a
    // measuring packet, write runs once.
    template <typename Write>
    void AppendMeasured(Write&& write, std::size_t bytesToFollow = 0) {
        if (!measuring_) {
            TReportPacket measure = Measuring();
            write(measure);
            Reserve(text_.size() + measure.counted_ + bytesToFollow);
        }
        write(*this);
    }

    void Reserve(std::size_t bytes) { zeph::platform::ReserveLarge(text_, bytes); }
    // Bytes appended so far, held or counted.
    std::size_t Size() const noexcept { return measuring_ ? counted_ : text_.size(); }
    const std::string& Text() const noexcept { return text_; }
    std::string Take() noexcept { return std::move(text_); }
    void Clear() noexcept { text_.clear(); }

private:
    void Append(std::initializer_list<std::string_view> pieces, char terminator) {
        std::size_t bytes = terminator != 0 ? 1 : 0;
        for (std::string_view piece : pieces) {
            bytes += piece.size();
        }
        if (measuring_) {
            counted_ += bytes;
            return;
        }
        // Reports grow to tens of megabytes: growing through the huge-page advice keeps page
        // faults from costing more than the writing.
        zeph::platform::ReserveForGrowth(text_, text_.size() + bytes);
        for (std::string_view piece : pieces) {
            text_.append(piece);
        }
        if (terminator != 0) {
            text_.push_back(terminator);
        }
    }

    std::string text_;
    bool measuring_ = false;
    std::size_t counted_ = 0;
};

} // namespace morvane::qcreport
