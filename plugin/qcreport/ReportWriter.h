// The report packet: GBK text built line by line, each line ended by exactly one carriage
// return and no line feed. Values are copied between the quotes unchanged.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace morvane::qcreport {

class TReportPacket {
public:
    // The declaration every report packet starts with.
    static constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"GB2312\" ?>";

    // append-line: the text (its pieces in order) and one carriage return.
    void AppendLine(std::string_view text);
    void AppendLine(std::initializer_list<std::string_view> pieces);
    // append-fragment: the text and the terminator, a double quote or nothing (0).
    void AppendFragment(std::string_view text, char terminator);
    void AppendFragment(std::initializer_list<std::string_view> pieces, char terminator);

    void Reserve(std::size_t bytes);
    const std::string& Text() const noexcept { return text_; }
    std::string Take() noexcept { return std::move(text_); }
    void Clear() noexcept { text_.clear(); }

private:
    void MakeRoom(std::size_t bytes);

    std::string text_;
};

} // namespace morvane::qcreport
