#include <zeph/forms/Label.h>
#include <zeph/forms/Script.h>

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

bool ValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80           ? 1
                             : (c >> 5) == 0x6  ? 2
                             : (c >> 4) == 0xE  ? 3
                             : (c >> 3) == 0x1E ? 4
                                                : 0;
        if (length == 0 || i + length > text.size() || (length == 2 && c < 0xC2)) {
            return false;
        }
        std::uint32_t code = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (t & 0x3F);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
            return false;
        }
        i += length;
    }
    return true;
}

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
        std::string verbWord = Lower(NextWord(rest));
        const VerbInfo* info = nullptr;
        for (const VerbInfo& v : kVerbs) {
            if (verbWord == v.name) {
                info = &v;
            }
        }
        if (info == nullptr) {
            Fail("unknown action '" + verbWord + "'");
        }
        action.verb = info->verb;
        switch (action.verb) {
        case ScriptVerb::Escape:
        case ScriptVerb::Enter:
        case ScriptVerb::Close:
            if (!TrimBlanks(rest).empty()) {
                Fail(std::string("'") + info->name + "' takes nothing after it");
            }
            return action;
        default:
            break;
        }
        rest = TrimBlanks(rest);
        std::string_view target = NextWord(rest);
        if (target.empty()) {
            Fail(std::string("'") + info->name + "' needs a control name");
        }
        if (!IsName(target)) {
            Fail("'" + std::string(target) + "' is not a control name");
        }
        action.target = std::string(target);
        // Text arguments keep their blanks: only the one blank after the name separates.
        std::string_view argument = rest.empty() ? rest : rest.substr(1);
        switch (action.verb) {
        case ScriptVerb::Type:
        case ScriptVerb::Paste:
            if (argument.empty()) {
                Fail(std::string("'") + info->name + "' needs a text after the control name");
            }
            action.text = ToHost(Unescape(argument));
            break;
        case ScriptVerb::Clear:
        case ScriptVerb::Click:
        case ScriptVerb::ClickButton:
        case ScriptVerb::Focus:
            if (!TrimBlanks(argument).empty()) {
                Fail(std::string("'") + info->name + "' takes only a control name");
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
                Fail(std::string("'") + info->name + "' needs an item (an index or a text)");
            }
            break;
        case ScriptVerb::Key: {
            std::string name = Lower(TrimBlanks(argument));
            if (name.empty()) {
                Fail("'key' needs a key name (enter, escape, space, ...) or a character");
            }
            if (name.size() != 1 && ScriptKey(name) == 0) {
                Fail("unknown key '" + name + "'");
            }
            action.text = std::string(TrimBlanks(argument));
            break;
        }
        case ScriptVerb::Set: {
            std::string value(TrimBlanks(argument));
            if (!ParseDateTime(value)) {
                Fail("'" + value +
                     "' is not a date (YYYY-MM-DD [HH:MM[:SS]]) or time (HH:MM[:SS])");
            }
            action.text = value;
            break;
        }
        case ScriptVerb::Spin: {
            std::string_view value = TrimBlanks(argument);
            if (!value.empty() && value.front() == '+') {
                value.remove_prefix(1);
            }
            auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), action.number);
            if (value.empty() || ec != std::errc() || end != value.data() + value.size()) {
                Fail("'spin' needs a whole number of steps");
            }
            break;
        }
        default:
            break;
        }
        return action;
    }

    static std::uint16_t ScriptKey(const std::string& lowerName) {
        for (const KeyName& k : kKeys) {
            if (lowerName == k.name) {
                return k.key;
            }
        }
        if (lowerName.size() >= 2 && lowerName[0] == 'f') {
            int n = 0;
            auto [end, ec] =
                std::from_chars(lowerName.data() + 1, lowerName.data() + lowerName.size(), n);
            if (ec == std::errc() && end == lowerName.data() + lowerName.size() && n >= 1 &&
                n <= 12) {
                return static_cast<std::uint16_t>(keys::F1 + n - 1);
            }
        }
        return 0;
    }

private:
    int line_;
};

std::string Where(const ScriptAction& action) {
    return action.line > 0 ? "line " + std::to_string(action.line) + ": " : std::string();
}

[[noreturn]] void Misfit(const ScriptAction& action, const Control& control) {
    throw EUserAction(Where(action) + "'" + ScriptVerbName(action.verb) + "' does not apply to " +
                      control.Name() + " (" + control.KindName() + ")");
}

int IndexOfText(const ScriptAction& action, const Control& control,
                const std::vector<std::string>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] == action.item.text) {
            return static_cast<int>(i);
        }
    }
    throw EUserAction(Where(action) + control.Name() + " has no item '" +
                      zeph::text::GbkToUtf8(action.item.text) + "'");
}

int SingleIndex(const ScriptAction& action, const Control& control) {
    if (action.item.path.size() != 1) {
        throw EUserAction(Where(action) + control.Name() +
                          " is a list: give one index, not a path");
    }
    return action.item.path.front();
}

int ListIndex(const ScriptAction& action, const Control& control,
              const std::vector<std::string>& texts) {
    if (action.item.kind == ScriptItem::Kind::Text) {
        return IndexOfText(action, control, texts);
    }
    int index = SingleIndex(action, control);
    if (index >= static_cast<int>(texts.size())) {
        throw EUserAction(Where(action) + control.Name() + " has no item " + std::to_string(index) +
                          " (it has " + std::to_string(texts.size()) + ")");
    }
    return index;
}

std::vector<std::string> Captions(const ListView& view) {
    std::vector<std::string> out;
    for (int i = 0; i < view.Items.Count(); ++i) {
        out.push_back(view.Items[i].Caption);
    }
    return out;
}

TreeNode& NodeOf(const ScriptAction& action, const TreeView& tree) {
    TreeNode* node = action.item.kind == ScriptItem::Kind::Text
                         ? tree.Items.FindText(action.item.text)
                         : tree.Items.AtPath(action.item.path);
    if (node == nullptr) {
        throw EUserAction(Where(action) + tree.Name() + " has no such node");
    }
    return *node;
}

} // namespace

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
        if (!ValidUtf8(line)) {
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
    if (!ValidUtf8(utf8)) {
        parser.Fail("the command is not valid UTF-8");
    }
    return parser.Action(utf8);
}

bool RunScriptAction(const ScriptAction& action, Form& form, User& user) {
    switch (action.verb) {
    case ScriptVerb::Escape:
        return user.Escape(form);
    case ScriptVerb::Enter:
        return user.Enter(form);
    case ScriptVerb::Close:
        return user.CloseBox(form);
    default:
        break;
    }
    Control* found = FindControl(form, action.target);
    if (found == nullptr) {
        throw EUserAction(Where(action) + "the window " + form.ClassName() +
                          " has no control named '" + action.target + "'");
    }
    Control& control = *found;
    const bool hasItem = action.item.kind != ScriptItem::Kind::None;
    switch (action.verb) {
    case ScriptVerb::Type: {
        std::string text = action.text;
        for (char& c : text) {
            if (c == '\n') {
                c = '\r'; // the Enter key
            }
        }
        return user.Type(control, text);
    }
    case ScriptVerb::Paste: {
        std::string text;
        for (char c : action.text) {
            text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        if (dynamic_cast<CustomEdit*>(&control) == nullptr &&
            dynamic_cast<ComboBox*>(&control) == nullptr) {
            Misfit(action, control);
        }
        return user.Paste(control, text);
    }
    case ScriptVerb::Clear:
        return user.ClearText(control);
    case ScriptVerb::Click:
        return user.Click(control);
    case ScriptVerb::ClickButton:
        if (auto* edit = dynamic_cast<ButtonEdit*>(&control)) {
            return user.ClickButton(*edit);
        }
        Misfit(action, control);
    case ScriptVerb::Focus:
        return user.Focus(control);
    case ScriptVerb::DoubleClick:
        if (!hasItem) {
            return user.DoubleClick(control);
        }
        if (auto* list = dynamic_cast<ListBox*>(&control)) {
            return user.DoubleClick(*list, ListIndex(action, control, list->Items.Items()));
        }
        if (auto* view = dynamic_cast<ListView*>(&control)) {
            return user.DoubleClick(*view, ListIndex(action, control, Captions(*view)));
        }
        if (auto* tree = dynamic_cast<TreeView*>(&control)) {
            return user.DoubleClick(*tree, NodeOf(action, *tree));
        }
        Misfit(action, control);
    case ScriptVerb::Select:
    case ScriptVerb::SelectMore:
        if (auto* list = dynamic_cast<ListBox*>(&control)) {
            int index = ListIndex(action, control, list->Items.Items());
            return action.verb == ScriptVerb::Select ? user.Select(*list, index)
                                                     : user.SelectMore(*list, index);
        }
        if (action.verb == ScriptVerb::SelectMore) {
            Misfit(action, control);
        }
        if (auto* combo = dynamic_cast<ComboBox*>(&control)) {
            return user.Select(*combo, ListIndex(action, control, combo->Items.Items()));
        }
        if (auto* view = dynamic_cast<ListView*>(&control)) {
            return user.Select(*view, ListIndex(action, control, Captions(*view)));
        }
        if (auto* tree = dynamic_cast<TreeView*>(&control)) {
            return user.Select(*tree, NodeOf(action, *tree));
        }
        if (auto* pages = dynamic_cast<PageControl*>(&control)) {
            std::vector<std::string> names;
            for (int i = 0; i < pages->PageCount(); ++i) {
                names.push_back(pages->Page(i).Caption);
            }
            if (action.item.kind == ScriptItem::Kind::Text) {
                for (int i = 0; i < pages->PageCount(); ++i) {
                    if (zeph::text::SameText(pages->Page(i).Name(), action.item.text)) {
                        return user.Select(*pages, i);
                    }
                }
            }
            return user.Select(*pages, ListIndex(action, control, names));
        }
        Misfit(action, control);
    case ScriptVerb::Tick:
    case ScriptVerb::Untick: {
        bool tick = action.verb == ScriptVerb::Tick;
        if (auto* box = dynamic_cast<CheckBox*>(&control)) {
            if (hasItem) {
                Misfit(action, control);
            }
            return tick ? user.Tick(*box) : user.Untick(*box);
        }
        if (!hasItem) {
            throw EUserAction(Where(action) + "'" + ScriptVerbName(action.verb) + " " +
                              control.Name() + "' needs an item");
        }
        if (auto* list = dynamic_cast<CheckListBox*>(&control)) {
            int index = ListIndex(action, control, list->Items.Items());
            return tick ? user.Tick(*list, index) : user.Untick(*list, index);
        }
        if (auto* view = dynamic_cast<ListView*>(&control)) {
            int index = ListIndex(action, control, Captions(*view));
            return tick ? user.Tick(*view, index) : user.Untick(*view, index);
        }
        Misfit(action, control);
    }
    case ScriptVerb::Expand:
    case ScriptVerb::Collapse:
        if (auto* tree = dynamic_cast<TreeView*>(&control)) {
            TreeNode& node = NodeOf(action, *tree);
            return action.verb == ScriptVerb::Expand ? user.Expand(*tree, node)
                                                     : user.Collapse(*tree, node);
        }
        Misfit(action, control);
    case ScriptVerb::Key: {
        std::string name = zeph::text::LowerCase(action.text);
        std::uint16_t key = LineParser::ScriptKey(name);
        if (key != 0) {
            return user.PressKey(control, key);
        }
        return user.KeyPress(control, action.text.empty() ? '\0' : action.text.front());
    }
    case ScriptVerb::Set:
        if (auto* picker = dynamic_cast<DateTimePicker*>(&control)) {
            return user.Choose(*picker, ParseDateTime(action.text).value_or(0));
        }
        Misfit(action, control);
    case ScriptVerb::Spin:
        if (auto* spin = dynamic_cast<SpinEdit*>(&control)) {
            return user.Spin(*spin, action.number);
        }
        Misfit(action, control);
    default:
        break;
    }
    return false;
}

void RunWindowScript(const WindowScript& script, Form& form, User& user) {
    for (const ScriptAction& action : script.actions) {
        if (form.IsModal() && form.ModalEnded()) {
            throw EUserAction(Where(action) + "the window " + form.ClassName() +
                              " has already closed");
        }
        RunScriptAction(action, form, user);
    }
}

} // namespace zeph::forms
