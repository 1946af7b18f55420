#include <zeph/emulator/CommandLine.h>
#include <zeph/emulator/InputFile.h>
#include <zeph/text/HostText.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

namespace zeph::emulator {

const char* const kUsage =
    "usage: zeph-host [options] call [WORD [ARG ...]]\n"
    "       zeph-host [options] repl\n"
    "       zeph-host [options] gui\n"
    "       zeph-host make-demo PATH\n"
    "options:\n"
    "  --plugin PATH     the plug-in library (default: lib/libmorvane.so of this build)\n"
    "  --edition E       full (libmorvane.so) or basic (libmorvane-basic.so)\n"
    "  --server PATH     the desk database (default: a temporary demo database)\n"
    "  --answer VALUE    answer for the next dialog that asks (repeatable)\n"
    "  --raw N           write element N of Output unchanged instead of JSON\n"
    "  --script FILE     user actions for the plug-in's windows\n"
    "  --log PATH        the host log file (overrides the database's log_file)\n"
    "  --scalar          Input is the single value WORD instead of an array\n"
    "  --verbose         trace every server request on standard error\n"
    "  --help            this text\n"
    "Options may also follow the word; after -- every argument is a word.\n"
    "ARG: UTF-8 text; @PATH the bytes of a file; @@... a text starting with @\n";

namespace {

int ParseIndex(const std::string& text) {
    int value = -1;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0) {
        throw EUsageError("--raw needs an element index (0, 1, ...), not '" + text + "'");
    }
    return value;
}

struct Cursor {
    const std::vector<std::string>& args;
    std::size_t at = 0;
    bool Done() const { return at >= args.size(); }
    const std::string& Peek() const { return args[at]; }
    std::string Value(const std::string& option) {
        if (at + 1 >= args.size()) {
            throw EUsageError(option + " needs a value");
        }
        at += 2;
        return args[at - 1];
    }
};

// Options a single request carries; true when the current argument was one of them.
bool TakeRequestOption(Cursor& cursor, CallRequest& request) {
    const std::string& arg = cursor.Peek();
    if (arg == "--answer") {
        request.answers.push_back(cursor.Value(arg));
        return true;
    }
    if (arg == "--raw") {
        request.raw = ParseIndex(cursor.Value(arg));
        return true;
    }
    if (arg == "--scalar") {
        request.scalar = true;
        ++cursor.at;
        return true;
    }
    return false;
}

// Words after "call": known options are taken wherever they stand, "--" makes every later
// argument a word, anything else (also "-5" or "--x") is a word.
void TakeWords(Cursor& cursor, CallRequest& request,
               const std::function<bool(Cursor&)>& takeOption) {
    ++cursor.at; // "call"
    bool optionsEnded = false;
    while (!cursor.Done()) {
        if (!optionsEnded) {
            if (cursor.Peek() == "--") {
                optionsEnded = true;
                ++cursor.at;
                continue;
            }
            if (takeOption(cursor)) {
                continue;
            }
        }
        request.words.push_back(cursor.Peek());
        ++cursor.at;
    }
    request.hasWords = !request.words.empty();
}

void AppendUtf8OfHost(std::string& out, const std::string& host) {
    std::string utf8 = text::GbkToUtf8(host);
    for (char ch : utf8) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += ch;
            }
        }
    }
}

void AppendJson(std::string& out, const Variant& value, int depth) {
    if (depth > 64) {
        throw EUsageError("Output is nested too deeply to print");
    }
    switch (value.GetKind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
        out += "null";
        break;
    case Variant::Kind::Boolean:
        out += value.AsBoolean() ? "true" : "false";
        break;
    case Variant::Kind::Integer:
        out += std::to_string(value.AsInteger());
        break;
    case Variant::Kind::Floating: {
        double d = value.AsFloat();
        if (!std::isfinite(d)) {
            out += "null";
        } else {
            // The shortest text that reads back as the same number.
            char buffer[40];
            auto result = std::to_chars(buffer, buffer + sizeof buffer, d);
            out.append(buffer, result.ptr);
        }
        break;
    }
    case Variant::Kind::Text:
        out += '"';
        AppendUtf8OfHost(out, value.AsText());
        out += '"';
        break;
    case Variant::Kind::Array:
        out += '[';
        for (int i = value.LowBound(); i <= value.HighBound(); ++i) {
            if (i != value.LowBound()) {
                out += ',';
            }
            AppendJson(out, value[i], depth + 1);
        }
        out += ']';
        break;
    }
}

} // namespace

namespace {

// Options of the program; true when the current argument was one of them.
bool TakeProgramOption(Cursor& cursor, Options& options) {
    const std::string& arg = cursor.Peek();
    if (TakeRequestOption(cursor, options.call)) {
        return true;
    }
    if (arg == "--plugin") {
        options.plugin = cursor.Value(arg);
    } else if (arg == "--edition") {
        options.edition = cursor.Value(arg);
        if (options.edition != "full" && options.edition != "basic") {
            throw EUsageError("--edition is full or basic, not '" + options.edition + "'");
        }
    } else if (arg == "--server") {
        options.server = cursor.Value(arg);
    } else if (arg == "--script") {
        options.script = cursor.Value(arg);
    } else if (arg == "--log") {
        options.logFile = cursor.Value(arg);
    } else if (arg == "--verbose") {
        options.verbose = true;
        ++cursor.at;
    } else if (arg == "--help" || arg == "-h") {
        options.help = true;
        ++cursor.at;
    } else {
        return false;
    }
    return true;
}

} // namespace

Options ParseCommandLine(const std::vector<std::string>& args) {
    Options options;
    Cursor cursor{args};
    std::vector<std::string> positional;
    while (!cursor.Done()) {
        const std::string& arg = cursor.Peek();
        if (TakeProgramOption(cursor, options)) {
            continue;
        }
        if (arg == "call") {
            options.mode = Options::Mode::Call;
            TakeWords(cursor, options.call,
                      [&](Cursor& c) { return TakeProgramOption(c, options); });
            break;
        }
        if (arg.starts_with("-")) {
            throw EUsageError("unknown option " + arg);
        }
        positional.push_back(arg);
        ++cursor.at;
    }
    if (options.help) {
        options.mode = Options::Mode::Help;
        return options;
    }
    if (options.mode == Options::Mode::Call) {
        if (!positional.empty()) {
            throw EUsageError("unexpected '" + positional.front() + "' before call");
        }
        return options;
    }
    if (positional.empty()) {
        throw EUsageError("nothing to do: give call [WORD [ARG ...]], repl, gui or make-demo PATH");
    }
    if (positional.front() == "repl") {
        if (positional.size() != 1) {
            throw EUsageError("repl takes no arguments; it reads calls from standard input");
        }
        if (options.call.raw || options.call.scalar) {
            throw EUsageError("--raw and --scalar belong on the repl's lines, not before repl");
        }
        options.mode = Options::Mode::Repl;
    } else if (positional.front() == "gui") {
        if (positional.size() != 1) {
            throw EUsageError("gui takes no arguments; words are typed into its window");
        }
        if (options.call.raw || options.call.scalar) {
            throw EUsageError("--raw and --scalar do not apply to gui");
        }
        options.mode = Options::Mode::Gui;
    } else if (positional.front() == "make-demo") {
        if (positional.size() != 2) {
            throw EUsageError("make-demo takes one argument: the database file to write");
        }
        options.mode = Options::Mode::MakeDemo;
        options.demoPath = positional[1];
    } else {
        throw EUsageError("expected call, repl, gui or make-demo, not '" + positional.front() +
                          "'");
    }
    return options;
}

CallRequest ParseCallWords(const std::vector<std::string>& words) {
    CallRequest request;
    Cursor cursor{words};
    while (!cursor.Done()) {
        if (TakeRequestOption(cursor, request)) {
            continue;
        }
        if (cursor.Peek() == "call") {
            TakeWords(cursor, request, [&](Cursor& c) { return TakeRequestOption(c, request); });
            return request;
        }
        throw EUsageError("expected [--answer V]... [--raw N] call [WORD [ARG ...]], not '" +
                          cursor.Peek() + "'");
    }
    throw EUsageError("a line needs call [WORD [ARG ...]]");
}

std::vector<std::string> SplitLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            ++i;
        } else if (c == '#' && !inWord) {
            break;
        } else if (c == '\'') {
            std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) {
                throw EUsageError("unterminated ' quote");
            }
            word.append(line.substr(i + 1, close - i - 1));
            inWord = true;
            i = close + 1;
        } else if (c == '"') {
            inWord = true;
            ++i;
            for (;;) {
                if (i >= line.size()) {
                    throw EUsageError("unterminated \" quote");
                }
                char d = line[i];
                if (d == '"') {
                    ++i;
                    break;
                }
                if (d == '\\' && i + 1 < line.size() &&
                    (line[i + 1] == '"' || line[i + 1] == '\\' || line[i + 1] == '$' ||
                     line[i + 1] == '`')) {
                    word += line[i + 1];
                    i += 2;
                    continue;
                }
                word += d;
                ++i;
            }
        } else if (c == '\\') {
            if (i + 1 >= line.size()) {
                throw EUsageError("a line cannot end in a backslash");
            }
            word += line[i + 1];
            inWord = true;
            i += 2;
        } else {
            word += c;
            inWord = true;
            ++i;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

Variant BuildInput(const CallRequest& request) {
    if (!request.hasWords) {
        return Variant();
    }
    std::vector<Variant> elements;
    for (const std::string& word : request.words) {
        if (word.starts_with("@@")) {
            elements.emplace_back(text::Utf8ToGbk(word.substr(1)));
        } else if (word.starts_with("@")) {
            elements.emplace_back(ReadInputFile(word.substr(1)));
        } else {
            elements.emplace_back(text::Utf8ToGbk(word));
        }
    }
    if (request.scalar) {
        if (elements.size() != 1) {
            throw EUsageError("--scalar delivers one value: give exactly one word");
        }
        return elements.front();
    }
    return Variant::ArrayOf(std::move(elements));
}

std::string ToJson(const Variant& value) {
    std::string out;
    AppendJson(out, value, 0);
    return out;
}

} // namespace zeph::emulator
