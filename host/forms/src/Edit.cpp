#include <zeph/forms/Edit.h>
#include <zeph/forms/Form.h>

#include <algorithm>
#include <charconv>
#include <climits>

namespace zeph::forms {

namespace {
// Start of the character that ends at or before pos.
std::size_t CharStartBefore(std::string_view text, std::size_t pos) {
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < pos && i < text.size()) {
        start = i;
        i += zeph::text::CharLength(text, i);
    }
    return start;
}
} // namespace

CustomEdit::CustomEdit(Component* owner, std::string name) : WinControl(owner, std::move(name)) {
    Width = 121;
    Height = 21;
    TabStop = true;
    Color = clWindow;
}

void CustomEdit::SetText(std::string text) {
    bool changed = text != text_;
    text_ = std::move(text);
    selStart_ = static_cast<int>(text_.size());
    selLength_ = 0;
    if (changed) {
        Fire(OnChange);
    }
}

void CustomEdit::SetSelStart(int start) {
    std::size_t pos =
        static_cast<std::size_t>(std::clamp(start, 0, static_cast<int>(text_.size())));
    selStart_ = static_cast<int>(zeph::text::BoundaryAtOrBefore(text_, pos));
    selLength_ = 0;
}

void CustomEdit::SetSelLength(int length) {
    std::size_t end = static_cast<std::size_t>(
        std::clamp(selStart_ + std::max(length, 0), selStart_, static_cast<int>(text_.size())));
    // A selection ends after a whole character.
    std::size_t boundary = zeph::text::BoundaryAtOrBefore(text_, end);
    if (boundary < end) {
        boundary += zeph::text::CharLength(text_, boundary);
    }
    selLength_ = static_cast<int>(std::min(boundary, text_.size())) - selStart_;
}

void CustomEdit::SelectAll() {
    selStart_ = 0;
    selLength_ = static_cast<int>(text_.size());
}

std::string CustomEdit::SelText() const {
    return text_.substr(static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_));
}

bool CustomEdit::Replace(std::string_view insert) {
    if (insert.empty() && selLength_ == 0) {
        return false;
    }
    text_.replace(static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_),
                  insert);
    selStart_ += static_cast<int>(insert.size());
    selLength_ = 0;
    Fire(OnChange);
    return true;
}

bool CustomEdit::InsertTyped(std::string_view character) {
    if (ReadOnly || character.empty()) {
        return false;
    }
    if (MaxLength > 0 && text_.size() - static_cast<std::size_t>(selLength_) + character.size() >
                             static_cast<std::size_t>(MaxLength)) {
        return false; // the native control refuses a character beyond the limit
    }
    return Replace(character);
}

bool CustomEdit::InsertPasted(std::string_view text) {
    if (ReadOnly) {
        return false;
    }
    std::string_view insert = text;
    if (!MultiLine()) {
        insert = insert.substr(0, insert.find_first_of("\r\n"));
    }
    if (MaxLength > 0) {
        std::size_t rest = text_.size() - static_cast<std::size_t>(selLength_);
        std::size_t room = rest >= static_cast<std::size_t>(MaxLength)
                               ? 0
                               : static_cast<std::size_t>(MaxLength) - rest;
        insert = insert.substr(0, zeph::text::BoundaryAtOrBefore(insert, room));
    }
    return Replace(insert);
}

bool CustomEdit::DeleteBackward() {
    if (ReadOnly) {
        return false;
    }
    if (selLength_ == 0) {
        if (selStart_ == 0) {
            return false;
        }
        std::size_t start = CharStartBefore(text_, static_cast<std::size_t>(selStart_));
        selLength_ = selStart_ - static_cast<int>(start);
        selStart_ = static_cast<int>(start);
    }
    return Replace({});
}

bool CustomEdit::DeleteForward() {
    if (ReadOnly) {
        return false;
    }
    if (selLength_ == 0) {
        if (static_cast<std::size_t>(selStart_) >= text_.size()) {
            return false;
        }
        selLength_ =
            static_cast<int>(zeph::text::CharLength(text_, static_cast<std::size_t>(selStart_)));
    }
    return Replace({});
}

void CustomEdit::DefaultKeyChar(char key) {
    auto c = static_cast<unsigned char>(key);
    if (c == 8) {
        DeleteBackward();
    } else if (c == '\r') {
        if (MultiLine() && WantReturns()) {
            InsertTyped("\r\n");
        }
    } else if (c >= 0x20 && c != 0x7F && !zeph::text::IsLeadByte(c)) {
        char ch[1] = {key};
        InsertTyped(std::string_view(ch, 1));
    }
}

void CustomEdit::DefaultKeyDown(std::uint16_t key, ShiftState) {
    if (key == keys::Delete) {
        DeleteForward();
    } else if (key == keys::Home) {
        SetSelStart(0);
    } else if (key == keys::End) {
        SetSelStart(static_cast<int>(text_.size()));
    } else if (key == keys::Left && selStart_ > 0) {
        SetSelStart(static_cast<int>(CharStartBefore(text_, static_cast<std::size_t>(selStart_))));
    } else if (key == keys::Right && static_cast<std::size_t>(selStart_) < text_.size()) {
        SetSelStart(selStart_ + static_cast<int>(zeph::text::CharLength(
                                    text_, static_cast<std::size_t>(selStart_))));
    }
}

Memo::Memo(Component* owner, std::string name) : CustomEdit(owner, std::move(name)) {
    Width = 185;
    Height = 89;
}

std::vector<std::string> Memo::Lines() const {
    std::vector<std::string> lines;
    std::string_view text = Text();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = text.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, stop - start));
        start =
            stop + (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

int Memo::LineCount() const {
    return static_cast<int>(Lines().size());
}

void Memo::SetLines(const std::vector<std::string>& lines) {
    SetText(zeph::text::Join(lines, "\r\n"));
}

void Memo::AddLine(std::string_view line) {
    std::string text = Text();
    if (!text.empty() && text.back() != '\n') {
        text += "\r\n";
    }
    text += line;
    SetText(std::move(text));
}

bool Memo::WantsKey(std::uint16_t key) const {
    return (key == keys::Return && WantReturnsKey) || (key == keys::Tab && WantTabs);
}

SpinEdit::SpinEdit(Component* owner, std::string name) : CustomEdit(owner, std::move(name)) {
    SetText("0");
}

bool SpinEdit::IsValidChar(char key) {
    return key == '+' || key == '-' || (key >= '0' && key <= '9') ||
           (static_cast<unsigned char>(key) < 0x20);
}

int SpinEdit::Bounded(int value) const {
    if (MinValue != MaxValue) {
        return std::clamp(value, std::min(MinValue, MaxValue), std::max(MinValue, MaxValue));
    }
    return value;
}

int SpinEdit::Value() const {
    std::string_view text = Text();
    std::string trimmed = zeph::text::Trim(text);
    std::string_view digits = trimmed;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
    }
    int value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
        return MinValue;
    }
    return Bounded(value);
}

void SpinEdit::SetValue(int value) {
    SetText(std::to_string(Bounded(value)));
}

void SpinEdit::Spin(int steps) {
    if (ReadOnly) {
        return;
    }
    long long next = static_cast<long long>(Value()) + static_cast<long long>(steps) * Increment;
    SetValue(static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX)));
}

LabeledEdit::LabeledEdit(Component* owner, std::string name)
    : Edit(owner, std::move(name)), EditLabel(this, "SubLabel") {
    EditLabel.SetParent(Parent());
    PlaceLabel();
}

void LabeledEdit::SetParent(WinControl* parent) {
    Edit::SetParent(parent);
    // The label is a member: during construction it may not exist yet.
    if (EditLabel.Owner() == this) {
        EditLabel.SetParent(parent);
        PlaceLabel();
    }
}

void LabeledEdit::SetBounds(int left, int top, int width, int height) {
    Edit::SetBounds(left, top, width, height);
    PlaceLabel();
}

void LabeledEdit::SetLabelPosition(LabelPositions position) {
    LabelPosition = position;
    PlaceLabel();
}

void LabeledEdit::PlaceLabel() {
    switch (LabelPosition) {
    case LabelPositions::Above:
        EditLabel.Left = Left;
        EditLabel.Top = Top - EditLabel.Height - LabelSpacing;
        break;
    case LabelPositions::Below:
        EditLabel.Left = Left;
        EditLabel.Top = Top + Height + LabelSpacing;
        break;
    case LabelPositions::Left:
        EditLabel.Left = Left - EditLabel.Width - LabelSpacing;
        EditLabel.Top = Top + (Height - EditLabel.Height) / 2;
        break;
    case LabelPositions::Right:
        EditLabel.Left = Left + Width + LabelSpacing;
        EditLabel.Top = Top + (Height - EditLabel.Height) / 2;
        break;
    }
}

} // namespace zeph::forms
