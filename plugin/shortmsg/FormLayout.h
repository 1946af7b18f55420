// Small pieces the two short-message windows share: their frame, placing labels and buttons, and
// a button that stays disabled while its work runs.
#pragma once

#include <zeph/forms/Button.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/Label.h>
#include <zeph/text/HostText.h>

#include <string>

namespace morvane::shortmsg {

// A fixed dialog frame with only the close box, its client area and its Chinese font.
inline void FrameDialog(zeph::forms::Form& form, const std::string& caption,
                        zeph::forms::Position position, int clientWidth, int clientHeight) {
    form.Caption = caption;
    form.BorderStyle = zeph::forms::BorderStyle::Dialog;
    form.BorderIcons = zeph::forms::biSystemMenu;
    form.Position = position;
    form.SetClientWidth(clientWidth);
    form.SetClientHeight(clientHeight);
    form.Font.Charset = 134;
}

inline void PlaceLabel(zeph::forms::Label& label, const std::string& caption, int left, int top) {
    label.Left = left;
    label.Top = top;
    label.SetCaption(caption);
}

inline void PlaceButton(zeph::forms::Button& button, const std::string& caption, int left, int top,
                        int width, int height = 25) {
    button.Caption = caption;
    button.SetBounds(left, top, width, height);
}

// "确定" closing with OK and "取消" closing with Cancel (also the Escape key), side by side.
inline void PlaceCloseButtons(zeph::forms::Button& ok, zeph::forms::Button& cancel, int okLeft,
                              int cancelLeft, int top, int width) {
    PlaceButton(ok, "确定"_host, okLeft, top, width);
    ok.ModalResult = zeph::forms::ModalResult::Ok;
    PlaceButton(cancel, "取消"_host, cancelLeft, top, width);
    cancel.ModalResult = zeph::forms::ModalResult::Cancel;
    cancel.Cancel = true;
}

// Enabled again however the work ends, errors included.
class TDisabledWhileRunning {
public:
    explicit TDisabledWhileRunning(zeph::forms::Button& button) : button_(button) {
        button_.Enabled = false;
    }
    ~TDisabledWhileRunning() { button_.Enabled = true; }
    TDisabledWhileRunning(const TDisabledWhileRunning&) = delete;
    TDisabledWhileRunning& operator=(const TDisabledWhileRunning&) = delete;

private:
    zeph::forms::Button& button_;
};

} // namespace morvane::shortmsg
