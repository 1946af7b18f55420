// Script text to actions: sections per window showing, one action a line (format:
// docs/zeph-host-script.md).
#include "ScriptKeys.h"

#include <zeph/formdrive/Script.h>
#include <zeph/text/HostText.h>

#include <cctype>
#include <charconv>
#include <climits>
#include <optional>

namespace zeph::forms {
namespace {

struct VerbInfo {
    const char* name;
    ScriptVerb verb;
};

constexpr VerbInfo kVerbs[] = {
    {"type", ScriptVerb::Type},
    {"paste", ScriptVerb::Paste},
    {"clear", ScriptVerb::Clear},
    {"click", ScriptVerb::Click},
    {"dblclick", ScriptVerb::DoubleClick},
    {"rightclick", ScriptVerb::RightClick},
    {"button", ScriptVerb::ClickButton},
    {"focus", ScriptVerb::Focus},
    {"select", ScriptVerb::Select},
    {"selectmore", ScriptVerb::SelectMore},
    {"tick", ScriptVerb::Tick},
    {"untick", ScriptVerb::Untick},
    {"expand", ScriptVerb::Expand},
    {"collapse", ScriptVerb::Collapse},
    {"key", ScriptVerb::Key},
    {"set", ScriptVerb::Set},
    {"spin", ScriptVerb::Spin},
    {"escape", ScriptVerb::Escape},
    {"enter", ScriptVerb::Enter},
    {"close", ScriptVerb::Close},
    {"show", ScriptVerb::Show},
};

struct KeyName {
    const char* name;
    std::uint16_t key;
};

constexpr KeyName kKeys[] = {
    {"enter", keys::Return},   {"return", keys::Return}, {"escape", keys::Escape},
    {"esc", keys::Escape},     {"space", keys::Space},   {"tab", keys::Tab},
    {"backspace", keys::Back}, {"back", keys::Back},     {"delete", keys::Delete},
    {"del", keys::Delete},     {"up", keys::Up},         {"down", keys::Down},
    {"left", keys::Left},      {"right", keys::Right},   {"home", keys::Home},
    {"end", keys::End},        {"pageup", keys::PageUp}, {"pagedown", keys::PageDown},
    {"insert", keys::Insert},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The next word (up to a blank) and the rest after the blanks that follow it.
std::string_view NextWord(std::string_view& rest) {
    std::size_t stop = 0;
    while (stop < rest.size() && !IsBlank(rest[stop])) {
        ++stop;
    }
    std::string_view word = rest.substr(0, stop);
    rest.remove_prefix(stop);
    return word;
}

std::string Lower(std::string_view text) {
    return zeph::text::LowerCase(text);
}

bool IsName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) != 0 || c == '_')) {
            return false;
        }
    }
    return true;
}

class LineParser {
public:
    explicit LineParser(int line) : line_(line) {}

    [[noreturn]] void Fail(const std::string& message) const { throw EScriptError(line_, message); }

    // Escapes: \n line break, \t tab, \s blank, \\ backslash, \" quote.
    std::string Unescape(std::string_view text) const {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\\') {
                out.push_back(text[i]);
                continue;
            }
            if (i + 1 >= text.size()) {
                Fail("a backslash ends the text; write \\\\ for a backslash");
            }
            char e = text[++i];
            switch (e) {
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 's':
                out.push_back(' ');
                break;
            case '\\':
                out.push_back('\\');
                break;
            case '"':
                out.push_back('"');
                break;
            default:
                Fail(std::string("unknown escape \\") + e + " (known: \\n \\t \\s \\\\ \\\")");
            }
        }
        return out;
    }

    std::string ToHost(const std::string& utf8) const {
        std::string host = zeph::text::Utf8ToGbk(utf8);
        if (zeph::text::GbkToUtf8(host) != utf8) {
            Fail("the text '" + utf8 + "' has characters the host code page cannot hold");
        }
        return host;
    }

    ScriptItem Item(std::string_view text) const {
        ScriptItem item;
        text = TrimBlanks(text);
        if (text.empty()) {
            return item;
        }
        if (text.front() == '"') {
            std::size_t close = std::string_view::npos;
            for (std::size_t i = 1; i < text.size(); ++i) {
                if (text[i] == '\\') {
                    ++i;
                } else if (text[i] == '"') {
                    close = i;
                    break;
                }
            }
            if (close == std::string_view::npos) {
                Fail("a quoted item must end with a quote");
            }
            if (close + 1 != text.size()) {
                Fail("nothing may follow the quoted item");
            }
            item.kind = ScriptItem::Kind::Text;
            item.text = ToHost(Unescape(text.substr(1, close - 1)));
            return item;
        }
        bool path = true;
        for (char c : text) {
            if (!((c >= '0' && c <= '9') || c == '/')) {
                path = false;
                break;
            }
        }
        if (path) {
            item.kind = ScriptItem::Kind::Index;
            std::size_t start = 0;
            while (true) {
                std::size_t stop = text.find('/', start);
                std::string_view part =
                    text.substr(start, stop == text.npos ? text.npos : stop - start);
                int value = 0;
                auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
                if (part.empty() || ec != std::errc() || end != part.data() + part.size()) {
                    Fail("bad index '" + std::string(text) + "'");
                }
                item.path.push_back(value);
                if (stop == text.npos) {
                    break;
                }
                start = stop + 1;
            }
            return item;
        }
        item.kind = ScriptItem::Kind::Text;
        item.text = ToHost(Unescape(text));
        return item;
    }

    ScriptAction Action(std::string_view line) const {
        ScriptAction action;
        action.line = line_;
        std::string_view rest = TrimBlanks(line);
        const VerbInfo& info = FindVerb(Lower(NextWord(rest)));
        action.verb = info.verb;
        if (TakesNothing(action.verb)) {
            if (!TrimBlanks(rest).empty()) {
                Fail(std::string("'") + info.name + "' takes nothing after it");
            }
            return action;
        }
        rest = TrimBlanks(rest);
        action.target = ReadTarget(rest, info);
        // Text arguments keep their blanks: only the one blank after the name separates.
        ReadArgument(action, info, rest.empty() ? rest : rest.substr(1));
        return action;
    }

    const VerbInfo& FindVerb(const std::string& verbWord) const {
        const VerbInfo* info = nullptr;
        for (const VerbInfo& v : kVerbs) {
            if (verbWord == v.name) {
                info = &v;
            }
        }
        if (info == nullptr) {
            Fail("unknown action '" + verbWord + "'");
        }
        return *info;
    }

    static bool TakesNothing(ScriptVerb verb) {
        return verb == ScriptVerb::Escape || verb == ScriptVerb::Enter ||
               verb == ScriptVerb::Close || verb == ScriptVerb::Show;
    }

    std::string ReadTarget(std::string_view& rest, const VerbInfo& info) const {
        std::string_view target = NextWord(rest);
        if (target.empty()) {
            Fail(std::string("'") + info.name + "' needs a control name");
        }
        if (!IsName(target)) {
            Fail("'" + std::string(target) + "' is not a control name");
        }
        return std::string(target);
    }

    void ReadArgument(ScriptAction& action, const VerbInfo& info, std::string_view argument) const {
        switch (action.verb) {
        case ScriptVerb::Type:
        case ScriptVerb::Paste:
            if (argument.empty()) {
                Fail(std::string("'") + info.name + "' needs a text after the control name");
            }
            action.text = ToHost(Unescape(argument));
            break;
        case ScriptVerb::Clear:
        case ScriptVerb::Click:
        case ScriptVerb::RightClick:
        case ScriptVerb::ClickButton:
        case ScriptVerb::Focus:
            if (!TrimBlanks(argument).empty()) {
                Fail(std::string("'") + info.name + "' takes only a control name");
            }
            break;
        case ScriptVerb::DoubleClick:
        case ScriptVerb::Tick:
        case ScriptVerb::Untick:
            action.item = Item(argument);
            break;
        case ScriptVerb::Select:
        case ScriptVerb::SelectMore:
        case ScriptVerb::Expand:
        case ScriptVerb::Collapse:
            action.item = Item(argument);
            if (action.item.kind == ScriptItem::Kind::None) {
                Fail(std::string("'") + info.name + "' needs an item (an index or a text)");
            }
            break;
        case ScriptVerb::Key:
            action.text = KeyArgument(argument);
            break;
        case ScriptVerb::Set:
            action.text = DateTimeArgument(argument);
            break;
        case ScriptVerb::Spin:
            action.number = SpinArgument(argument);
            break;
        default:
            break;
        }
    }

    std::string KeyArgument(std::string_view argument) const {
        std::string name = Lower(TrimBlanks(argument));
        if (name.empty()) {
            Fail("'key' needs a key name (enter, escape, space, ...) or a character");
        }
        if (name.size() != 1 && ScriptKeyCode(name) == 0) {
            Fail("unknown key '" + name + "'");
        }
        return std::string(TrimBlanks(argument));
    }

    std::string DateTimeArgument(std::string_view argument) const {
        std::string value(TrimBlanks(argument));
        if (!ParseDateTime(value)) {
            Fail("'" + value + "' is not a date (YYYY-MM-DD [HH:MM[:SS]]) or time (HH:MM[:SS])");
        }
        return value;
    }

    int SpinArgument(std::string_view argument) const {
        std::string_view value = TrimBlanks(argument);
        if (!value.empty() && value.front() == '+') {
            value.remove_prefix(1);
        }
        int steps = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), steps);
        if (value.empty() || ec != std::errc() || end != value.data() + value.size()) {
            Fail("'spin' needs a whole number of steps");
        }
        return steps;
    }

private:
    int line_;
};

} // namespace

std::uint16_t ScriptKeyCode(const std::string& lowerName) {
    for (const KeyName& k : kKeys) {
        if (lowerName == k.name) {
            return k.key;
        }
    }
    if (lowerName.size() >= 2 && lowerName[0] == 'f') {
        int n = 0;
        auto [end, ec] =
            std::from_chars(lowerName.data() + 1, lowerName.data() + lowerName.size(), n);
        if (ec == std::errc() && end == lowerName.data() + lowerName.size() && n >= 1 && n <= 12) {
            return static_cast<std::uint16_t>(keys::F1 + n - 1);
        }
    }
    return 0;
}

EScriptError::EScriptError(int line, const std::string& message)
    : EFormsError(line > 0 ? "line " + std::to_string(line) + ": " + message : message),
      line_(line) {}

const char* ScriptVerbName(ScriptVerb verb) {
    for (const VerbInfo& v : kVerbs) {
        if (v.verb == verb) {
            return v.name;
        }
    }
    return "?";
}

Script ParseScript(std::string_view utf8) {
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") {
        utf8.remove_prefix(3);
    }
    Script script;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start <= utf8.size()) {
        std::size_t stop = utf8.find('\n', start);
        std::string_view line = utf8.substr(start, stop == utf8.npos ? utf8.npos : stop - start);
        start = stop == utf8.npos ? utf8.size() + 1 : stop + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        LineParser parser(lineNumber);
        if (!zeph::text::IsValidUtf8(line)) {
            parser.Fail("the line is not valid UTF-8");
        }
        if (line.find('\0') != line.npos || line.find('\r') != line.npos) {
            parser.Fail("the line holds a control character");
        }
        std::string_view trimmed = TrimBlanks(line);
        if (trimmed.empty() || trimmed.front() == '#') {
            continue;
        }
        if (trimmed.front() == '[') {
            if (trimmed.back() != ']') {
                parser.Fail("a window section is written [window name]");
            }
            std::string_view name = TrimBlanks(trimmed.substr(1, trimmed.size() - 2));
            if (!IsName(name)) {
                parser.Fail("'" + std::string(name) + "' is not a window class or name");
            }
            script.windows.push_back(WindowScript{std::string(name), lineNumber, {}});
            continue;
        }
        if (script.windows.empty()) {
            parser.Fail("an action comes before any [window] section");
        }
        script.windows.back().actions.push_back(parser.Action(line));
    }
    return script;
}

ScriptAction ParseScriptAction(std::string_view utf8) {
    LineParser parser(0);
    if (!zeph::text::IsValidUtf8(utf8)) {
        parser.Fail("the command is not valid UTF-8");
    }
    return parser.Action(utf8);
}

} // namespace zeph::forms
