#include "shortmsg/ShortMsgWords.h"

#include "core/untZeph.h"
#include "shortmsg/SendShortMessage.h"

#include <string>

namespace morvane::shortmsg {

void SendSM(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    // Created first: an error during the work leaves an array of Empty elements.
    Output = zeph::Variant::Array(0, 3);
    std::string content = GetInputItem(Input, 7);
    const TSendOutcome outcome = SendShortMessage(
        main, GetInputItem(Input, 1), GetInputItem(Input, 2), GetInputItem(Input, 3),
        GetInputItem(Input, 4), GetInputItem(Input, 5), GetInputItem(Input, 6), content);
    Output[0] = outcome.Succeeded ? "True" : "False";
    Output[1] = outcome.ReturnValue;
    Output[2] = content;
    Output[3] = outcome.Message;
}

} // namespace morvane::shortmsg
