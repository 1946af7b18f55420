#include <zeph/text/HostText.h>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace zeph::text {
namespace {

constexpr const char* kHostCodePage = "CP936";

bool IsTrailByte(unsigned char c) noexcept {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// One conversion descriptor per direction and thread: iconv_t carries shift state.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts, replacing each unconvertible source character by '?'. sourceCharLength tells
    // how many bytes to skip for an invalid or unconvertible character at a position.
    template <typename SkipFn>
    std::string Convert(std::string_view source, SkipFn sourceCharLength) {
        std::string out;
        out.reserve(source.size() * 3 / 2 + 4);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(source.data());
        std::size_t inLeft = source.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) {
                    continue;
                }
                // EILSEQ or EINVAL (truncated sequence at the end): replace one character.
                std::size_t offset = source.size() - inLeft;
                std::size_t skip = std::min(inLeft, sourceCharLength(source, offset));
                in += skip;
                inLeft -= skip;
                out.push_back('?');
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        return out;
    }

private:
    iconv_t cd_;
};

std::size_t Utf8CharLength(std::string_view text, std::size_t pos) {
    auto c = static_cast<unsigned char>(text[pos]);
    std::size_t want = c < 0x80           ? 1
                       : (c >> 5) == 0x6  ? 2
                       : (c >> 4) == 0xE  ? 3
                       : (c >> 3) == 0x1E ? 4
                                          : 1;
    std::size_t n = 1;
    while (n < want && pos + n < text.size() &&
           (static_cast<unsigned char>(text[pos + n]) & 0xC0) == 0x80) {
        ++n;
    }
    return n;
}

std::size_t GbkCharLength(std::string_view text, std::size_t pos) {
    auto c = static_cast<unsigned char>(text[pos]);
    if (IsLeadByte(c) && pos + 1 < text.size() &&
        IsTrailByte(static_cast<unsigned char>(text[pos + 1]))) {
        return 2;
    }
    return 1;
}

bool IsBlankOrControl(unsigned char c) noexcept {
    return c <= 0x20;
}

unsigned char AsciiUpper(unsigned char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

} // namespace

bool IsLeadByte(unsigned char c) noexcept {
    return c >= 0x81 && c <= 0xFE;
}

std::size_t CharLength(std::string_view text, std::size_t pos) noexcept {
    if (pos >= text.size()) {
        return 0;
    }
    if (IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) {
        return 2;
    }
    return 1;
}

std::size_t BoundaryAtOrBefore(std::string_view text, std::size_t maxBytes) noexcept {
    if (maxBytes >= text.size()) {
        return text.size();
    }
    std::size_t pos = 0;
    while (pos < maxBytes) {
        std::size_t next = pos + CharLength(text, pos);
        if (next > maxBytes) {
            break;
        }
        pos = next;
    }
    return pos;
}

std::string GbkToUtf8(std::string_view gbk) {
    thread_local Converter converter("UTF-8", kHostCodePage);
    return converter.Convert(gbk, GbkCharLength);
}

std::string Utf8ToGbk(std::string_view utf8) {
    thread_local Converter converter(kHostCodePage, "UTF-8");
    return converter.Convert(utf8, Utf8CharLength);
}

bool IsValidGbk(std::string_view text) noexcept {
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
        } else if (IsLeadByte(c) && i + 1 < text.size() &&
                   IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
            i += 2;
        } else if (c == 0x80) {
            ++i; // the euro sign of code page 936
        } else {
            return false;
        }
    }
    return true;
}

const std::string& HostLiteral(std::string_view utf8) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::unique_ptr<std::string>> cache;
    std::lock_guard lock(mutex);
    auto it = cache.find(std::string(utf8));
    if (it == cache.end()) {
        it = cache.emplace(std::string(utf8), std::make_unique<std::string>(Utf8ToGbk(utf8))).first;
    }
    return *it->second;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        std::size_t n = CharLength(out, i);
        if (n == 1) {
            out[i] = static_cast<char>(AsciiUpper(static_cast<unsigned char>(out[i])));
        }
        i += n;
    }
    return out;
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        std::size_t n = CharLength(out, i);
        if (n == 1 && out[i] >= 'A' && out[i] <= 'Z') {
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
        }
        i += n;
    }
    return out;
}

int CompareText(std::string_view a, std::string_view b) noexcept {
    std::size_t i = 0;
    while (i < a.size() && i < b.size()) {
        // Both texts are at the same boundary while their bytes so far are equal.
        std::size_t n = CharLength(a, i);
        for (std::size_t k = 0; k < n && i + k < a.size() && i + k < b.size(); ++k) {
            auto ca = static_cast<unsigned char>(a[i + k]);
            auto cb = static_cast<unsigned char>(b[i + k]);
            if (n == 1) {
                ca = AsciiUpper(ca);
                cb = AsciiUpper(cb);
            }
            if (ca != cb) {
                return ca < cb ? -1 : 1;
            }
        }
        i += n;
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

std::size_t Find(std::string_view text, std::string_view needle, std::size_t from) noexcept {
    if (needle.empty()) {
        return from <= text.size() ? from : std::string_view::npos;
    }
    std::size_t pos = 0;
    while (pos < from && pos < text.size()) {
        pos += CharLength(text, pos);
    }
    for (; pos + needle.size() <= text.size(); pos += CharLength(text, pos)) {
        if (text.compare(pos, needle.size(), needle) == 0) {
            return pos;
        }
    }
    return std::string_view::npos;
}

bool Contains(std::string_view text, std::string_view needle) noexcept {
    return Find(text, needle) != std::string_view::npos;
}

std::vector<std::string> Split(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (delimiter.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t at = Find(text, delimiter, start);
        if (at == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            break;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + delimiter.size();
    }
    return pieces;
}

std::string Join(const std::vector<std::string>& pieces, std::string_view delimiter) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            out.append(delimiter);
        }
        out.append(pieces[i]);
    }
    return out;
}

std::string TrimLeft(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlankOrControl(static_cast<unsigned char>(text[start]))) {
        ++start;
    }
    return std::string(text.substr(start));
}

std::string TrimRight(std::string_view text) {
    // A trail byte is never <= 0x20, so trimming from the end cannot split a character.
    std::size_t end = text.size();
    while (end > 0 && IsBlankOrControl(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return std::string(text.substr(0, end));
}

std::string Trim(std::string_view text) {
    return TrimLeft(TrimRight(text));
}

} // namespace zeph::text
