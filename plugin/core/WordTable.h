// The dispatcher's word table: each row an interface word and the handler that runs it, in the
// order of testing. Each edition supplies its own table (plugin/editions/); the handlers live
// with the subsystem that owns the word.
#pragma once

#include <zeph/client/Variant.h>

#include <span>

namespace morvane {

class TInterFacefrmMain;

using WordHandler = void (*)(TInterFacefrmMain& main, const zeph::Variant& Input,
                             zeph::Variant& Output);

struct WordEntry {
    const char* word; // upper-case ASCII
    WordHandler run;
};

// The table of the edition this library was built as.
std::span<const WordEntry> EditionWordTable();

} // namespace morvane
