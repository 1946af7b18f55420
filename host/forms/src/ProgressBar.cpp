#include <zeph/forms/ProgressBar.h>

#include <algorithm>
#include <string>

namespace zeph::forms {

ProgressBar::ProgressBar(Component* owner, std::string name) : WinControl(owner, std::move(name)) {
    Width = 150;
    Height = 16;
}

void ProgressBar::SetMin(int value) {
    SetRange(value, std::max(value, max_));
}

void ProgressBar::SetMax(int value) {
    SetRange(std::min(min_, value), value);
}

void ProgressBar::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
    Invalidate();
}

void ProgressBar::SetPosition(int value) {
    position_ = std::clamp(value, min_, max_);
    Invalidate();
}

void ProgressBar::StepIt() {
    long long next = static_cast<long long>(position_) + Step;
    if (next > max_) {
        next = min_ + (next - max_) % (static_cast<long long>(max_) - min_ + 1);
        next = std::clamp<long long>(next, min_, max_);
    }
    position_ = static_cast<int>(std::max<long long>(next, min_));
    Invalidate();
}

void ProgressBar::StepBy(int delta) {
    long long next = static_cast<long long>(position_) + delta;
    position_ = static_cast<int>(std::clamp<long long>(next, min_, max_));
    Invalidate();
}

std::string ProgressBar::Describe() const {
    return std::to_string(position_) + " of " + std::to_string(min_) + ".." + std::to_string(max_);
}

} // namespace zeph::forms
