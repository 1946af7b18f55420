// The date and time picker: a date field with a calendar, or a time field.
#include "Adapters.h"

#include <zeph/forms/DateTimePicker.h>

#include <QDateEdit>
#include <QTimeEdit>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

QDateTime ToQDateTime(forms::TDateTime value) {
    forms::DateTimeParts parts = forms::DecodeDateTime(value);
    return QDateTime(QDate(parts.year, parts.month, parts.day),
                     QTime(parts.hour, parts.minute, parts.second, parts.millisecond));
}

forms::TDateTime FromQDateTime(const QDateTime& value) {
    forms::DateTimeParts parts;
    parts.year = value.date().year();
    parts.month = value.date().month();
    parts.day = value.date().day();
    parts.hour = value.time().hour();
    parts.minute = value.time().minute();
    parts.second = value.time().second();
    parts.millisecond = value.time().msec();
    return forms::EncodeDateTime(parts);
}

class DateTimePickerAdapterImpl final : public AdapterOf<forms::DateTimePicker> {
public:
    bool ClicksBySignal() const override { return true; }
    // The picker edits its fields itself and reports the value.
    bool LeavesKeyToWidget(int, Qt::KeyboardModifiers) const override { return true; }

protected:
    QWidget* Make(forms::DateTimePicker& model, QWidget* parent, Router& router) const override {
        forms::Control* c = &model;
        QDateTimeEdit* picker = nullptr;
        if (model.Kind == forms::DateTimeKind::Time) {
            picker = new QTimeEdit(parent);
            picker->setDisplayFormat("HH:mm:ss");
        } else {
            picker = new QDateEdit(parent);
            picker->setCalendarPopup(true);
            picker->setDisplayFormat("yyyy-MM-dd");
        }
        QObject::connect(picker, &QDateTimeEdit::dateTimeChanged, picker,
                         [&router, c](const QDateTime& value) {
                             forms::TDateTime chosen = FromQDateTime(value);
                             router.Act(c, [c, chosen](forms::User& user) {
                                 user.Choose(As<forms::DateTimePicker>(c), chosen);
                             });
                         });
        return picker;
    }
    void Update(forms::DateTimePicker& picker, QWidget* widget, Router&) const override {
        auto* p = static_cast<QDateTimeEdit*>(widget);
        QDateTime value = ToQDateTime(picker.DateTime());
        bool same = picker.Kind == forms::DateTimeKind::Time ? p->time() == value.time()
                                                             : p->date() == value.date();
        if (!same) {
            p->setDateTime(value);
        }
    }
};

} // namespace

const KindAdapter& DateTimePickerAdapter() {
    static const DateTimePickerAdapterImpl adapter;
    return adapter;
}

} // namespace zeph::qtforms
