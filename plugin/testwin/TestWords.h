// The word that opens the call test window.
#pragma once

#include <zeph/client/Variant.h>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::testwin {

// Creates the test window once, owned by the main window, and shows it without waiting.
void Test(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);

} // namespace morvane::testwin
