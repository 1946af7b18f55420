// ZephClientCalled: the single entry of every interface word.
#include "core/untZeph.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/text/HostText.h>

#include <string>

namespace morvane {

std::string GetInputItem(const zeph::Variant& Input, int i) {
    if (Input.IsEmptyOrNull() || Input.HighBound() < i) {
        return {};
    }
    return Input[i].AsText();
}

void TInterFacefrmMain::ZephClientCalled(zeph::forms::Component*, int, const zeph::Variant& Input,
                                         zeph::Variant& Output) {
    Output = zeph::Variant();
    if (Input.IsEmptyOrNull()) {
        zeph::InfoDlg("传入的参数为空"_host, OwnerHandle());
        return;
    }
    std::string word = GetInputItem(Input, 0);
    if (zeph::IfNumber(word)) {
        HandleNumericCode(static_cast<int>(zeph::Variant(word).AsInteger()), Input, Output);
        return;
    }
    word = zeph::text::UpperCase(word);
    for (const WordEntry& entry : edition_.words) {
        if (word == entry.word) {
            entry.run(*this, Input, Output);
            return;
        }
    }
}

void TInterFacefrmMain::HandleNumericCode(int code, const zeph::Variant& Input,
                                          zeph::Variant& Output) {
    switch (code) {
    case 1005:
        zeph::InfoDlg(GetInputItem(Input, 1), OwnerHandle());
        break;
    case 1006:
        Output = zeph::Variant::Array(0, 0);
        Output[0] = zeph::QuesDlg(GetInputItem(Input, 1), OwnerHandle()) ? "True" : "False";
        break;
    case 1007:
        zeph::ErrorDlg(GetInputItem(Input, 1), OwnerHandle());
        break;
    default:
        break;
    }
}

} // namespace morvane
