// The recording words: saving a call's recordings (and, in the full edition, a conveyed call's)
// to files the agent chooses, and playing a call's recording.
#pragma once

#include <zeph/client/Variant.h>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::recording {

void SaveRecordFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
#if MORVANE_EDITION_FULL
void SaveConveyRecordFile(TInterFacefrmMain& main, const zeph::Variant& Input,
                          zeph::Variant& Output);
void PlayRecordFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
#endif

} // namespace morvane::recording
