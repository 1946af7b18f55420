#include <zeph/client/PackageRoutines.h>
#include <zeph/forms/Application.h>

#include <charconv>
#include <climits>
#include <cstdint>

namespace zeph {
namespace {

forms::ModalResult Message(forms::MessageKind kind, forms::MessageButtons buttons,
                           const char* source, const std::string& text, forms::WindowHandle owner) {
    forms::MessageRequest request;
    request.kind = kind;
    request.text = text;
    request.buttons = buttons;
    request.owner = owner;
    request.source = source;
    switch (kind) {
    case forms::MessageKind::Question:
        request.caption = "询问"_host;
        break;
    case forms::MessageKind::Error:
        request.caption = "错误"_host;
        break;
    default:
        request.caption = "提示"_host;
        break;
    }
    return forms::Application()->GetBackend().ShowMessage(request);
}

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DecodeValue(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

} // namespace

void InfoDlg(const std::string& text, forms::WindowHandle owner) {
    Message(forms::MessageKind::Information, forms::MessageButtons::Ok, "InfoDlg", text, owner);
}

void ErrorDlg(const std::string& text, forms::WindowHandle owner) {
    Message(forms::MessageKind::Error, forms::MessageButtons::Ok, "ErrorDlg", text, owner);
}

bool QuesDlg(const std::string& text, forms::WindowHandle owner) {
    return Message(forms::MessageKind::Question, forms::MessageButtons::YesNo, "QuesDlg", text,
                   owner) == forms::ModalResult::Yes;
}

std::string Base64Encode(const std::string& text) {
    std::string out;
    out.reserve((text.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < text.size(); i += 3) {
        std::uint32_t v = (static_cast<unsigned char>(text[i]) << 16) |
                          (static_cast<unsigned char>(text[i + 1]) << 8) |
                          static_cast<unsigned char>(text[i + 2]);
        out.push_back(kAlphabet[(v >> 18) & 63]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out.push_back(kAlphabet[(v >> 6) & 63]);
        out.push_back(kAlphabet[v & 63]);
    }
    std::size_t rest = text.size() - i;
    if (rest > 0) {
        std::uint32_t v = static_cast<unsigned char>(text[i]) << 16;
        if (rest == 2) {
            v |= static_cast<unsigned char>(text[i + 1]) << 8;
        }
        out.push_back(kAlphabet[(v >> 18) & 63]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out.push_back(rest == 2 ? kAlphabet[(v >> 6) & 63] : '=');
        out.push_back('=');
    }
    return out;
}

std::string Base64Decode(const std::string& text) {
    std::string out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t accumulator = 0;
    int bits = 0;
    for (unsigned char c : text) {
        if (c == '=') {
            break;
        }
        int value = DecodeValue(c);
        if (value < 0) {
            continue; // line breaks and other characters outside the alphabet
        }
        accumulator = (accumulator << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((accumulator >> bits) & 0xFF));
        }
    }
    return out;
}

bool IfNumber(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (*begin == '+') {
        ++begin;
        if (begin == end || *begin == '-') {
            return false;
        }
    }
    std::int32_t value = 0;
    auto [stop, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && stop == end;
}

void DecodeToList(const std::string& text, const std::string& delimiter,
                  std::vector<std::string>& list) {
    list = zeph::text::Split(text, delimiter);
}

} // namespace zeph
