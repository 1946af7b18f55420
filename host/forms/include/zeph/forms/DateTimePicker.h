// Date and time pickers.
#pragma once

#include <zeph/forms/Control.h>
#include <zeph/forms/DateTime.h>

namespace zeph::forms {

enum class DateTimeKind { Date, Time };

class ZEPH_HOST_API DateTimePicker : public WinControl {
public:
    DateTimePicker(Component* owner, std::string name);
    DateTimePicker(Component& owner, std::string name) : DateTimePicker(&owner, std::move(name)) {}

    DateTimeKind Kind = DateTimeKind::Date;
    NotifyEvent OnChange;

    // The whole value; a date picker shows its date part, a time picker its time part, and
    // both keep the other part.
    TDateTime DateTime() const noexcept { return value_; }
    TDateTime Date() const { return DateOf(value_); }
    TDateTime Time() const { return TimeOf(value_); }
    // By code: no events.
    void SetDateTime(TDateTime value) noexcept { value_ = value; }
    void SetDate(TDateTime date);
    void SetTime(TDateTime time);

    const char* KindName() const override { return "TDateTimePicker"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override;

    // A person choosing a value: a date picker takes the date part, a time picker the time
    // part; OnChange when the value changed.
    void UserChoose(TDateTime value);

private:
    TDateTime value_ = 0;
};

} // namespace zeph::forms
