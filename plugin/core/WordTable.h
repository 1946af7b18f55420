// The dispatcher's word table: each row an interface word and the main window's operation that
// runs it, in the order of testing. Each edition supplies its own table.
#pragma once

#include <zeph/client/Variant.h>

#include <span>

namespace morvane {

class TInterFacefrmMain;

using WordOperation = void (TInterFacefrmMain::*)(const zeph::Variant& Input,
                                                  zeph::Variant& Output);

struct WordEntry {
    const char* word; // upper-case ASCII
    WordOperation run;
};

// The table of the edition this library was built as.
std::span<const WordEntry> EditionWordTable();

} // namespace morvane
