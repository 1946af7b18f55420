// The short-message word: SENDSM writes a send log or a send plan record for the call.
#pragma once

#include <zeph/client/Variant.h>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::shortmsg {

// In 1 serial number, In 2 edit switch, In 3 timing, In 4 priority, In 5 caption, In 6
// receivers, In 7 content. Output 0..3: "True"/"False", the return value, the content, the
// message.
void SendSM(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);

} // namespace morvane::shortmsg
