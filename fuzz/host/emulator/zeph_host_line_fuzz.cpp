// A repl line (or a command line split from it) never crashes the parser, and whatever Input it
// yields prints as JSON that is valid UTF-8 with balanced brackets.
#include <zeph/emulator/CommandLine.h>
#include <zeph/text/HostText.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zeph::emulator;
    std::string line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words;
    try {
        words = SplitLine(line);
    } catch (const EUsageError&) {
        return 0;
    }
    try {
        (void)ParseCommandLine(words);
    } catch (const EUsageError&) {
    }
    CallRequest request;
    try {
        request = ParseCallWords(words);
    } catch (const EUsageError&) {
        request.hasWords = !words.empty();
        request.words = words;
    }
    // Files are not read here: "@PATH" words are taken as literal text.
    for (std::string& word : request.words) {
        if (word.starts_with("@") && !word.starts_with("@@")) {
            word.insert(0, "@");
        }
    }
    zeph::Variant input;
    try {
        input = BuildInput(request);
    } catch (const EUsageError&) {
        return 0;
    }
    std::string json = ToJson(input);
    if (!zeph::text::IsValidUtf8(json)) {
        std::abort();
    }
    // The words as host text bytes, too.
    std::string raw = ToJson(zeph::Variant(line));
    if (!zeph::text::IsValidUtf8(raw) || raw.front() != '"' || raw.back() != '"') {
        std::abort();
    }
    return 0;
}
