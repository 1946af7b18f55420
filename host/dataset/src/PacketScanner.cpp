// Reads packets straight from their host text when they keep to the shape in which packets are
// written: an optional XML declaration, elements with ASCII names and attributes, white space
// between tags. Values are taken as they stand: ASCII, which is most of them, and host text that
// the code-page tables libxml2 is given would decode and encode back unchanged. Whatever falls
// outside that shape is not judged here but declined, and libxml2 reads it: so the two readers
// cannot disagree on a text, and every error a packet gets is libxml2's.
#include "PacketBuilder.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/text/HostText.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace zeph::dataset {
namespace {

struct Decline {};

[[noreturn]] void DeclineText() {
    throw Decline{};
}

enum : std::uint8_t {
    kSpace = 1,     // space, tab, CR, LF
    kNameStart = 2, // ASCII letters and '_'
    kName = 4,      // those, digits, '.' and '-'
    kPlain = 8,     // value bytes that stand for themselves: printable ASCII but '<', '&', quotes
};

constexpr std::array<std::uint8_t, 256> MakeClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int c : {' ', '\t', '\r', '\n'}) {
        classes[c] |= kSpace;
    }
    for (int c = 0; c < 256; ++c) {
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (letter) {
            classes[c] |= kNameStart | kName;
        }
        if ((c >= '0' && c <= '9') || c == '.' || c == '-') {
            classes[c] |= kName;
        }
        if (c >= 0x20 && c <= 0x7F && c != '<' && c != '&' && c != '"' && c != '\'') {
            classes[c] |= kPlain;
        }
    }
    return classes;
}

constexpr std::array<std::uint8_t, 256> kClasses = MakeClasses();

std::uint8_t ClassOf(char c) {
    return kClasses[static_cast<unsigned char>(c)];
}

// Well inside libxml2's limits without its huge-text option: longer names and values, and deeper
// nesting, are its to report.
constexpr std::size_t kMostNameBytes = 1000;
constexpr std::size_t kMostValueBytes = 1'000'000;
constexpr std::size_t kMostDepth = 64;

// Character references that stand for what a value may hold as it is: tab, LF, CR and printable
// ASCII. Anything else is declined.
bool AppendReference(std::string_view text, std::size_t& i, std::string& out) {
    std::size_t semicolon = text.find(';', i + 1);
    if (semicolon == std::string_view::npos || semicolon - i > 12) {
        return false;
    }
    std::string_view name = text.substr(i + 1, semicolon - i - 1);
    i = semicolon + 1;
    static constexpr std::pair<std::string_view, char> kPredefined[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (auto [entity, c] : kPredefined) {
        if (name == entity) {
            out.push_back(c);
            return true;
        }
    }
    if (name.size() < 2 || name[0] != '#') {
        return false;
    }
    bool hex = name[1] == 'x';
    std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 7) {
        return false;
    }
    unsigned value = 0;
    for (char d : digits) {
        unsigned digit = 0;
        if (d >= '0' && d <= '9') {
            digit = static_cast<unsigned>(d - '0');
        } else if (hex && d >= 'a' && d <= 'f') {
            digit = static_cast<unsigned>(d - 'a' + 10);
        } else if (hex && d >= 'A' && d <= 'F') {
            digit = static_cast<unsigned>(d - 'A' + 10);
        } else {
            return false;
        }
        value = value * (hex ? 16 : 10) + digit;
    }
    if (value != 0x9 && value != 0xA && value != 0xD && (value < 0x20 || value > 0x7F)) {
        return false;
    }
    out.push_back(static_cast<char>(value));
    return true;
}

// References replaced, and each tab, LF, CR or CR LF written as one space, as XML reads an
// attribute value.
void Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '&') {
            if (!AppendReference(text, i, out)) {
                DeclineText();
            }
            continue;
        }
        if (c == '\r' || c == '\n' || c == '\t') {
            out.push_back(' ');
            i += c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        out.push_back(c);
        ++i;
    }
}

class Scanner {
public:
    explicit Scanner(std::string_view text)
        : p_(text.data()), end_(text.data() + text.size()), builder_(text.size(), true) {}

    TRecordTable Scan() {
        if (At("<?xml") && end_ - p_ > 5 && (ClassOf(p_[5]) & kSpace) != 0) {
            XmlDeclaration();
        }
        SkipSpace();
        StartTag();
        while (!open_.empty()) {
            SkipSpace();
            if (end_ - p_ < 2 || *p_ != '<') {
                DeclineText();
            }
            if (p_[1] == '/') {
                EndTag();
            } else {
                StartTag();
            }
        }
        SkipSpace();
        if (p_ != end_ || !builder_.SawMetadata()) {
            DeclineText();
        }
        return builder_.Take();
    }

private:
    bool At(std::string_view s) const {
        return static_cast<std::size_t>(end_ - p_) >= s.size() &&
               std::memcmp(p_, s.data(), s.size()) == 0;
    }

    void Expect(char c) {
        if (p_ == end_ || *p_ != c) {
            DeclineText();
        }
        ++p_;
    }

    bool SkipSpace() {
        const char* from = p_;
        while (p_ != end_ && (ClassOf(*p_) & kSpace) != 0) {
            ++p_;
        }
        return p_ != from;
    }

    // An ASCII name without a colon; a name going on in other characters is declined.
    std::string_view Name() {
        const char* from = p_;
        if (p_ == end_ || (ClassOf(*p_) & kNameStart) == 0) {
            DeclineText();
        }
        ++p_;
        while (p_ != end_ && (ClassOf(*p_) & kName) != 0) {
            ++p_;
        }
        if (p_ != end_ && (static_cast<unsigned char>(*p_) >= 0x80 || *p_ == ':')) {
            DeclineText();
        }
        if (static_cast<std::size_t>(p_ - from) > kMostNameBytes) {
            DeclineText();
        }
        return {from, static_cast<std::size_t>(p_ - from)};
    }

    void Equals() {
        SkipSpace();
        Expect('=');
        SkipSpace();
    }

    // A quoted value of the XML declaration: plain ASCII only.
    std::string_view DeclarationValue() {
        if (p_ == end_ || (*p_ != '"' && *p_ != '\'')) {
            DeclineText();
        }
        char quote = *p_++;
        const char* from = p_;
        while (p_ != end_ && *p_ != quote && (ClassOf(*p_) & kPlain) != 0) {
            ++p_;
        }
        std::string_view value(from, static_cast<std::size_t>(p_ - from));
        Expect(quote);
        return value;
    }

    static bool IsEncodingName(std::string_view name) {
        if (name.empty() || (ClassOf(name[0]) & kNameStart) == 0 || name[0] == '_') {
            return false;
        }
        for (char c : name) {
            if ((ClassOf(c) & kName) == 0) {
                return false;
            }
        }
        return true;
    }

    // version, then optionally encoding (which the reader overrides) and standalone.
    void XmlDeclaration() {
        p_ += 5;
        SkipSpace();
        if (!At("version")) {
            DeclineText();
        }
        p_ += 7;
        Equals();
        if (DeclarationValue() != "1.0") {
            DeclineText();
        }
        bool space = SkipSpace();
        if (space && At("encoding")) {
            p_ += 8;
            Equals();
            if (!IsEncodingName(DeclarationValue())) {
                DeclineText();
            }
            space = SkipSpace();
        }
        if (space && At("standalone")) {
            p_ += 10;
            Equals();
            std::string_view standalone = DeclarationValue();
            if (standalone != "yes" && standalone != "no") {
                DeclineText();
            }
            SkipSpace();
        }
        Expect('?');
        Expect('>');
    }

    // The value at the opening quote, as host text unescaped and normalised.
    void AttributeValue(detail::PacketAttribute& attribute, std::size_t index) {
        char quote = *p_++;
        const char* from = p_;
        bool high = false;
        bool special = false;
        for (;;) {
            while (p_ != end_ && (ClassOf(*p_) & kPlain) != 0) {
                ++p_;
            }
            if (p_ == end_) {
                DeclineText();
            }
            auto c = static_cast<unsigned char>(*p_);
            if (c == static_cast<unsigned char>(quote)) {
                break;
            }
            if (c >= 0x80) {
                high = true;
            } else if (c == '&' || c == '\t' || c == '\n' || c == '\r') {
                special = true;
            } else if (c != '"' && c != '\'') {
                DeclineText(); // '<' and control characters
            }
            ++p_;
        }
        std::string_view raw(from, static_cast<std::size_t>(p_ - from));
        ++p_;
        if (raw.size() > kMostValueBytes) {
            DeclineText();
        }
        // Host text that a trip through UTF-8 gives back unchanged is kept as it stands. Every
        // valid GBK character does; any other text is the parser's to judge.
        if (high && !zeph::text::IsRoundTripGbk(raw)) {
            DeclineText();
        }
        if (!special) {
            attribute.value = raw;
            return;
        }
        // Markup bytes are never the second byte of a double-byte character, so the references
        // and white space found in the raw bytes are the text's own.
        if (unescaped_.size() <= index) {
            unescaped_.resize(index + 1);
        }
        Unescape(raw, unescaped_[index]);
        attribute.value = unescaped_[index];
    }

    void StartTag() {
        Expect('<');
        std::string_view name = Name();
        attributes_.clear();
        bool empty = false;
        for (;;) {
            bool space = SkipSpace();
            if (p_ == end_) {
                DeclineText();
            }
            if (*p_ == '/') {
                ++p_;
                Expect('>');
                empty = true;
                break;
            }
            if (*p_ == '>') {
                ++p_;
                break;
            }
            if (!space) {
                DeclineText();
            }
            detail::PacketAttribute attribute;
            attribute.name = Name();
            if (attribute.name == "xmlns") {
                DeclineText();
            }
            Equals();
            if (p_ == end_ || (*p_ != '"' && *p_ != '\'')) {
                DeclineText();
            }
            AttributeValue(attribute, attributes_.size());
            attributes_.push_back(attribute);
        }
        builder_.Start(name, attributes_);
        if (!builder_.Refusal().empty()) {
            DeclineText();
        }
        if (empty) {
            builder_.End();
        } else {
            open_.push_back(name);
            if (open_.size() > kMostDepth) {
                DeclineText();
            }
        }
    }

    void EndTag() {
        p_ += 2;
        if (Name() != open_.back()) {
            DeclineText();
        }
        SkipSpace();
        Expect('>');
        builder_.End();
        open_.pop_back();
    }

    const char* p_;
    const char* end_;
    detail::PacketBuilder builder_;
    std::vector<std::string_view> open_;
    std::vector<detail::PacketAttribute> attributes_;
    // Unescaped values, by attribute; a deque, so growing moves no stored text.
    std::deque<std::string> unescaped_;
};

} // namespace

std::optional<TRecordTable> ScanDataPacket(std::string_view packet) {
    try {
        return Scanner(packet).Scan();
    } catch (const Decline&) {
        return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt; // whatever the table refused, the parser reports
    }
}

} // namespace zeph::dataset
