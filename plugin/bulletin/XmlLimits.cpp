#include "bulletin/XmlLimits.h"

#include <cstring>

namespace morvane::bulletin {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The position just after the first occurrence of end at or after from, or npos.
std::size_t After(std::string_view text, std::size_t from, std::string_view end) {
    const std::size_t at = text.find(end, from);
    return at == std::string_view::npos ? at : at + end.size();
}

} // namespace

const char* XmlLimitBreach(std::string_view doc) {
    if (doc.find('\0') != std::string_view::npos) {
        return "the document is not in an ASCII-compatible encoding";
    }
    std::size_t i = doc.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    if (i < doc.size() && doc[i] != '<' && !IsBlank(doc[i])) {
        return "the document is not in an ASCII-compatible encoding";
    }
    std::size_t depth = 0;
    std::size_t nodes = 0;
    while (true) {
        i = doc.find('<', i);
        if (i == std::string_view::npos) {
            return nullptr;
        }
        const std::string_view rest = doc.substr(i);
        if (!rest.starts_with("</") && ++nodes > kMaxXmlNodes) {
            return "the document holds too many elements and attributes";
        }
        if (rest.starts_with("<!--")) {
            i = After(doc, i + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            i = After(doc, i + 9, "]]>");
        } else if (rest.starts_with("<?")) {
            i = After(doc, i + 2, "?>");
        } else if (rest.starts_with("<!")) {
            return "the document carries a document type declaration";
        } else if (rest.starts_with("</")) {
            if (depth > 0) {
                --depth;
            }
            i = After(doc, i + 2, ">");
        } else {
            // A start tag: attributes are counted by their "=" outside quoted values.
            std::size_t attributes = 0;
            char quote = 0;
            std::size_t j = i + 1;
            for (; j < doc.size(); ++j) {
                const char c = doc[j];
                if (quote != 0) {
                    quote = c == quote ? 0 : quote;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > kMaxXmlAttributes) {
                        return "an element carries too many attributes";
                    }
                    if (++nodes > kMaxXmlNodes) {
                        return "the document holds too many elements and attributes";
                    }
                } else if (c == '>') {
                    break;
                }
            }
            if (j >= doc.size()) {
                return nullptr; // an unfinished tag: the parser refuses it
            }
            if (doc[j - 1] != '/' && ++depth > kMaxXmlDepth) {
                return "the document nests elements too deeply";
            }
            i = j + 1;
        }
        if (i == std::string_view::npos) {
            return nullptr; // unfinished markup: the parser refuses it
        }
    }
}

} // namespace morvane::bulletin
