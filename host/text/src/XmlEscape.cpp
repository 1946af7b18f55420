#include <zeph/text/XmlEscape.h>

#include <algorithm>

namespace zeph::text {

std::size_t FindXmlUnfit(std::string_view text) noexcept {
    auto hit = std::find_if(text.begin(), text.end(), IsXmlUnfit);
    return hit == text.end() ? std::string_view::npos
                             : static_cast<std::size_t>(hit - text.begin());
}

void AppendXmlEscaped(std::string& out, std::string_view text, XmlPlace place, char unfit) {
    const bool attribute = place == XmlPlace::AttributeValue;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '"':
            out += attribute ? "&quot;" : "\"";
            break;
        case '\t':
            out += attribute ? "&#9;" : "\t";
            break;
        case '\n':
            out += attribute ? "&#10;" : "\n";
            break;
        default:
            out += IsXmlUnfit(c) ? unfit : c;
        }
    }
}

} // namespace zeph::text
