// A repl line (or a command line split from it) never crashes the parser, and whatever Input it
// yields prints as JSON that is valid UTF-8 with balanced brackets.
#include <zeph/emulator/CommandLine.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool ValidUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80         ? 1
                        : (c >> 5) == 6  ? 2
                        : (c >> 4) == 14 ? 3
                        : (c >> 3) == 30 ? 4
                                         : 0;
        if (n == 0 || i + n > s.size()) {
            return false;
        }
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += n;
    }
    return true;
}

} // namespace

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
    if (!ValidUtf8(json)) {
        std::abort();
    }
    // The words as host text bytes, too.
    std::string raw = ToJson(zeph::Variant(line));
    if (!ValidUtf8(raw) || raw.front() != '"' || raw.back() != '"') {
        std::abort();
    }
    return 0;
}
