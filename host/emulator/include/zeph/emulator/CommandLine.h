// The zeph-host command line and the lines of its repl (docs/zeph-host.md).
#pragma once

#include <zeph/client/Variant.h>

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::emulator {

// A command line or repl line that cannot be used; the message is UTF-8.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One request: the words after "call" and the options that belong to it.
struct CallRequest {
    bool hasWords = false;          // false: "call" alone, an Empty Input
    std::vector<std::string> words; // as given (UTF-8, "@PATH", "@@...")
    std::deque<std::string> answers;
    std::optional<int> raw;
    bool scalar = false; // Input is words[0] alone, not an array
};

struct Options {
    enum class Mode { Call, Repl, Gui, MakeDemo, Help };
    Mode mode = Mode::Help;
    std::string plugin;           // empty: the default of the edition
    std::string edition = "full"; // "full" or "basic"
    std::string server;           // empty: a temporary demo database
    std::string script;
    std::string logFile;
    std::string demoPath; // make-demo
    bool verbose = false;
    bool help = false;
    CallRequest call; // Call mode; --answer options before "repl" prime the repl's queue
};

Options ParseCommandLine(const std::vector<std::string>& args);

// A repl line after splitting: [--answer V]... [--raw N] call [WORD [ARG...]]; --answer, --raw
// and --scalar may also follow the word, and "--" makes every later argument a word.
CallRequest ParseCallWords(const std::vector<std::string>& words);

// Splits a line as a shell does for words: blanks separate; '...' is literal; "..." allows the
// escapes \" \\ \$ \`; a backslash outside quotes takes the next character; # at the start of a
// word begins a comment. EUsageError for an unterminated quote or a final backslash.
std::vector<std::string> SplitLine(std::string_view line);

// The request's Input: Empty without words, else an array 0..n-1 of host texts: "@@x" is "@x",
// "@PATH" the bytes of the file PATH unchanged, anything else UTF-8 converted to host text.
// EUsageError when a file cannot be read.
Variant BuildInput(const CallRequest& request);

// Output as one JSON value (UTF-8): Empty and Null null, arrays as arrays, text converted from
// host text, Booleans and numbers as JSON (non-finite numbers null).
std::string ToJson(const Variant& value);

extern const char* const kUsage;

} // namespace zeph::emulator
