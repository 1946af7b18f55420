#include "export/untHint.h"

#include <zeph/text/HostText.h>

namespace morvane::exporting {

namespace forms = zeph::forms;

TfrmHint::TfrmHint(forms::Component* owner) : Form(owner, "frmHint") {
    BorderStyle = forms::BorderStyle::None;
    BorderIcons = 0;
    FormStyle = forms::FormStyle::StayOnTop;
    Position = forms::Position::DesktopCenter;
    SetClientWidth(249);
    SetClientHeight(48);
    Font.Name = "宋体"_host;
    Font.Size = 9;
    Font.Charset = 134;

    Shape1.SetBounds(0, 0, 249, 48);
    Shape1.Align = forms::Align::Client;
    Shape1.Brush.Color = forms::clBtnFace;
    Shape1.Pen.Color = forms::clBlue;

    laHint.Font = Font;
    laHint.Font.Style = forms::fsBold;
    laHint.Font.Color = forms::clBlue;
    laHint.Transparent = true;
    laHint.SetCaption("正在导入，请稍侯..."_host);

    pbShow.SetBounds(15, 23, 217, 18);
    pbShow.Orientation = forms::Orientation::Horizontal;
    pbShow.SetPosition(0);

    // The window has no caption bar: a drag anywhere on it moves it.
    auto down = [this](forms::Control&, forms::MouseButton button, forms::ShiftState, int x,
                       int y) { FormMouseDown(button, x, y); };
    auto move = [this](forms::Control&, forms::ShiftState, int x, int y) { FormMouseMove(x, y); };
    auto up = [this](forms::Control&, forms::MouseButton, forms::ShiftState, int, int) {
        dragging_ = false;
    };
    for (forms::Control* control :
         {static_cast<forms::Control*>(this), static_cast<forms::Control*>(&Shape1),
          static_cast<forms::Control*>(&laHint)}) {
        control->OnMouseDown = down;
        control->OnMouseMove = move;
        control->OnMouseUp = up;
    }
    OnClose = [](forms::Form&, forms::CloseAction& action) { action = forms::CloseAction::Free; };
    Created();
}

void TfrmHint::CentreLabel() {
    laHint.Left = (ClientWidth() - laHint.Width) / 2;
    laHint.Top = pbShow.Visible ? 5 : (ClientHeight() - laHint.Height) / 2;
}

void TfrmHint::ShowHint(const std::string& text, bool withBar) {
    laHint.SetCaption(text);
    pbShow.Visible = withBar;
    CentreLabel();
    BringToFront();
    Repaint();
    Show();
}

void TfrmHint::SetMaximum(int maximum) {
    laHint.Top = 5;
    pbShow.SetMax(maximum);
    if (!pbShow.Visible) {
        pbShow.SetPosition(0);
        pbShow.Visible = true;
    }
    BringToFront();
    Repaint();
    pump_.Tick();
}

void TfrmHint::SetHintText(const std::string& text) {
    laHint.SetCaption(text);
    BringToFront();
    Repaint();
}

void TfrmHint::StepIt() {
    if (pbShow.Position() < pbShow.Max()) {
        pbShow.SetPosition(pbShow.Position() + 1);
        Repaint();
        BringToFront();
    }
    pump_.Tick();
}

void TfrmHint::FormMouseDown(forms::MouseButton button, int x, int y) {
    if (button != forms::MouseButton::Left) {
        return;
    }
    dragging_ = true;
    dragX_ = x;
    dragY_ = y;
}

void TfrmHint::FormMouseMove(int x, int y) {
    if (!dragging_) {
        return;
    }
    // The pointer is given in the window's own coordinates, which move with it.
    Left += x - dragX_;
    Top += y - dragY_;
}

} // namespace morvane::exporting
