// Which edition this code is built as. Every plug-in target is compiled with MORVANE_EDITION_FULL
// set to 1 (full edition) or 0 (basic edition), and -Wundef makes a misspelt or missing switch an
// error. Code that only the full edition has sits under `#if MORVANE_EDITION_FULL`; a behaviour
// that differs between the editions takes an Edition argument that defaults to kBuildEdition, so
// one test build can run both.
#pragma once

namespace morvane {

enum class Edition { Full, Basic };

inline constexpr Edition kBuildEdition = MORVANE_EDITION_FULL ? Edition::Full : Edition::Basic;

} // namespace morvane
