// A text on a window, and a shape drawn on it.
#pragma once

#include <zeph/forms/Control.h>

namespace zeph::forms {

class ZEPH_HOST_API Label : public Control {
public:
    Label(Component* owner, std::string name);
    Label(Component& owner, std::string name) : Label(&owner, std::move(name)) {}

    // With AutoSize the label is as wide as its text in its font (half-width characters are
    // half as wide as the font is high, double-byte characters as wide), and as high as a line.
    bool AutoSize = true;
    forms::Alignment Alignment = forms::Alignment::Left;
    bool Transparent = false;
    bool WordWrap = false;
    // The control that an accelerator of the caption focuses.
    Control* FocusControl = nullptr;

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);
    // Width of a text in this label's font, in pixels.
    int TextWidth(std::string_view text) const;
    void AdjustSize();

    const char* KindName() const override { return "TLabel"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override { return caption_; }

private:
    std::string caption_;
};

enum class ShapeType { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };
enum class BrushStyle { Solid, Clear };

struct Brush {
    forms::Color Color = clWhite;
    BrushStyle Style = BrushStyle::Solid;
};
struct Pen {
    forms::Color Color = clBlack;
    int Width = 1;
};

class ZEPH_HOST_API Shape : public Control {
public:
    using Control::Control;
    ShapeType Type = ShapeType::Rectangle; // the framework calls it Shape
    forms::Brush Brush;
    forms::Pen Pen;
    const char* KindName() const override { return "TShape"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

} // namespace zeph::forms
