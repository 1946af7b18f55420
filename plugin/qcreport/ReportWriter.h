// The report packet: GBK text built line by line, each line ended by exactly one carriage
// return and no line feed. Values are copied between the quotes unchanged.
#pragma once

#include <zeph/platform/Memory.h>

#include <cstring>
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
    // measuring packet, or within another such part, write runs once.
    template <typename Write>
    void AppendMeasured(Write&& write, std::size_t bytesToFollow = 0) {
        if (measuring_ || cursor_ != nullptr) {
            write(*this);
            return;
        }
        TReportPacket measure = Measuring();
        write(measure);
        Reserve(text_.size() + measure.counted_ + bytesToFollow);
        // The part's length is set once and its appends copy into it.
        const std::size_t at = text_.size();
        text_.resize(at + measure.counted_);
        cursor_ = text_.data() + at;
        end_ = cursor_ + measure.counted_;
        struct EndOfPart {
            TReportPacket& packet;
            ~EndOfPart() { packet.EndPart(); }
        } endOfPart{*this};
        write(*this);
    }

    void Reserve(std::size_t bytes) { zeph::platform::ReserveLarge(text_, bytes); }
    // Bytes appended so far, held or counted.
    std::size_t Size() const noexcept {
        if (measuring_) {
            return counted_;
        }
        return cursor_ != nullptr ? static_cast<std::size_t>(cursor_ - text_.data()) : text_.size();
    }
    const std::string& Text() const noexcept { return text_; }
    std::string Take() noexcept {
        EndPart();
        return std::move(text_);
    }
    void Clear() noexcept {
        EndPart();
        text_.clear();
    }

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
        if (cursor_ != nullptr && bytes > static_cast<std::size_t>(end_ - cursor_)) {
            EndPart(); // more than was measured: the text grows from here
        }
        if (cursor_ != nullptr) {
            // Within a measured part: plain copies into text already sized.
            for (std::string_view piece : pieces) {
                CopyPiece(cursor_, piece);
                cursor_ += piece.size();
            }
            if (terminator != 0) {
                *cursor_++ = terminator;
            }
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

    // The text ends where the part's appends did.
    void EndPart() noexcept {
        if (cursor_ != nullptr) {
            text_.resize(static_cast<std::size_t>(cursor_ - text_.data()));
            cursor_ = nullptr;
            end_ = nullptr;
        }
    }

    // Most pieces are a few bytes: copies of fixed sizes are inlined, where a copy of a
    // variable size is a call.
    static void CopyPiece(char* out, std::string_view piece) {
        const char* in = piece.data();
        const std::size_t n = piece.size();
        if (n >= 8 && n <= 16) { // two copies that may overlap
            std::memcpy(out, in, 8);
            std::memcpy(out + n - 8, in + n - 8, 8);
        } else if (n >= 4 && n < 8) {
            std::memcpy(out, in, 4);
            std::memcpy(out + n - 4, in + n - 4, 4);
        } else if (n > 0 && n < 4) {
            out[0] = in[0];
            out[n / 2] = in[n / 2];
            out[n - 1] = in[n - 1];
        } else if (n > 16) {
            std::memcpy(out, in, n);
        }
    }

    std::string text_;
    bool measuring_ = false;
    std::size_t counted_ = 0;
    // Within a measured part: where its next append goes, and where the part ends. They point
    // into text_, so a packet is not copied or moved while a part is written.
    char* cursor_ = nullptr;
    char* end_ = nullptr;
};

} // namespace morvane::qcreport
