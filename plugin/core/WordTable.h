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

// What an edition gives the main window: its words and the parts the window carries for them.
// The entry point hands it over (plugin/editions/ShowMorvane.cpp); core never names an edition.
struct EditionTables {
    std::span<const WordEntry> words;
    // Adds the edition's parts in the order of the window's resource; called once by the main
    // window's constructor.
    void (*createParts)(TInterFacefrmMain& main);
};

} // namespace morvane
