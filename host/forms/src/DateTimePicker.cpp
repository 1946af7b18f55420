#include <zeph/forms/DateTimePicker.h>

#include <cmath>

namespace zeph::forms {

DateTimePicker::DateTimePicker(Component* owner, std::string name)
    : WinControl(owner, std::move(name)) {
    Width = 186;
    Height = 21;
    TabStop = true;
    Color = clWindow;
}

void DateTimePicker::SetDate(TDateTime date) {
    value_ = DateOf(date) + TimeOf(value_);
}

void DateTimePicker::SetTime(TDateTime time) {
    value_ = DateOf(value_) + TimeOf(time);
}

std::string DateTimePicker::Describe() const {
    std::string text = FormatDateTime(value_);
    return Kind == DateTimeKind::Date ? text.substr(0, 10) : text.substr(11);
}

void DateTimePicker::UserChoose(TDateTime value) {
    TDateTime before = value_;
    if (Kind == DateTimeKind::Date) {
        SetDate(value);
    } else {
        SetTime(value);
    }
    if (value_ != before) {
        Fire(OnChange);
    }
}

} // namespace zeph::forms
