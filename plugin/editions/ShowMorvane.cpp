// The library's entry point: the main window, given the words and parts of this edition.
#include "core/MainWindowEntry.h"
#include "editions/Editions.h"

#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::uint32_t
ShowMorvane(std::uint32_t applicationHandle) {
    return morvane::ShowMainWindow(applicationHandle, morvane::BuiltEdition());
}
