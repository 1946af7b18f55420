// A progress bar: a position between a minimum and a maximum.
#pragma once

#include <zeph/forms/Control.h>

namespace zeph::forms {

enum class Orientation { Horizontal, Vertical };

class ZEPH_HOST_API ProgressBar : public WinControl {
public:
    ProgressBar(Component* owner, std::string name);
    ProgressBar(Component& owner, std::string name) : ProgressBar(&owner, std::move(name)) {}

    forms::Orientation Orientation = forms::Orientation::Horizontal;
    bool Smooth = false;
    int Step = 10;

    int Min() const noexcept { return min_; }
    int Max() const noexcept { return max_; }
    int Position() const noexcept { return position_; }
    // The position is kept inside the range, as the native bar keeps it.
    void SetMin(int value);
    void SetMax(int value);
    void SetRange(int min, int max);
    void SetPosition(int value);
    // Advances by Step; past the maximum the bar starts again at the minimum, as the native
    // bar does.
    void StepIt();
    // Advances by delta, stopping at the ends.
    void StepBy(int delta);

    const char* KindName() const override { return "TProgressBar"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override;
    bool AcceptsFocus() const override { return false; }

private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};

} // namespace zeph::forms
