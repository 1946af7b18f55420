// Text controls: one-line edits (plain, labelled, with a button, numbers) and the memo.
#include "Adapters.h"

#include <zeph/forms/Edit.h>
#include <zeph/qtforms/QtText.h>
#include <zeph/text/HostText.h>

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolButton>
#include <algorithm>
#include <vector>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

// A line edit with pieces at its right end (the arrows of a number field, the "..." button).
class EditWithButtons final : public QFrame {
public:
    EditWithButtons(QWidget* parent, int buttons) : QFrame(parent) {
        edit = new QLineEdit(this);
        edit->setObjectName(kEditPart);
        for (int i = 0; i < buttons; ++i) {
            auto* button = new QToolButton(this);
            button->setFocusPolicy(Qt::NoFocus);
            this->buttons.push_back(button);
        }
    }
    QLineEdit* edit;
    std::vector<QToolButton*> buttons;

protected:
    void resizeEvent(QResizeEvent*) override {
        int h = height();
        int bw = buttons.empty() ? 0 : std::min(h, 18);
        edit->setGeometry(0, 0, width() - bw, h);
        if (buttons.size() == 1) {
            buttons[0]->setGeometry(width() - bw, 0, bw, h);
        } else if (buttons.size() == 2) {
            buttons[0]->setGeometry(width() - bw, 0, bw, h / 2);
            buttons[1]->setGeometry(width() - bw, h / 2, bw, h - h / 2);
        }
    }
};

void SyncLineEdit(QLineEdit& edit, const forms::CustomEdit& model) {
    QString text = ToQt(model.Text());
    if (model.PasswordChar != 0) {
        edit.setEchoMode(QLineEdit::Password);
    }
    if (edit.text() != text) {
        edit.setText(text);
    }
    edit.setReadOnly(model.ReadOnly);
    if (QApplication::mouseButtons() != Qt::NoButton) {
        return; // a selection being dragged is the person's
    }
    int start = CharOffset(model.Text(), model.SelStart());
    int length = CharOffset(model.Text(), model.SelStart() + model.SelLength()) - start;
    bool same = length == 0 ? !edit.hasSelectedText() && edit.cursorPosition() == start
                            : edit.selectionStart() == start && edit.selectionLength() == length;
    if (!same) {
        if (length == 0) {
            edit.deselect();
            edit.setCursorPosition(start);
        } else {
            edit.setSelection(start, length);
        }
    }
}

// Memo text with its line breaks as Qt writes them.
QString MemoText(const std::string& hostText) {
    QString text = ToQt(hostText);
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    return text;
}

void SyncMemoSelection(QPlainTextEdit& edit, const forms::Memo& model) {
    int start = MemoText(model.Text().substr(0, static_cast<std::size_t>(model.SelStart()))).size();
    int end = MemoText(model.Text().substr(
                           0, static_cast<std::size_t>(model.SelStart() + model.SelLength())))
                  .size();
    QTextCursor cursor = edit.textCursor();
    if (cursor.anchor() != start || cursor.position() != end) {
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        edit.setTextCursor(cursor);
    }
}

// What every text control does with the keyboard and the mouse.
template <typename T>
class TextAdapter : public AdapterOf<T> {
public:
    bool TakesText() const override { return true; }
    std::function<void(forms::User&)> SelectAll(forms::Control& control) const override {
        auto* edit = &static_cast<forms::CustomEdit&>(control);
        return [edit](forms::User&) { edit->SelectAll(); };
    }
};

// The one-line edits: the line edit is the widget or its "edit" piece.
template <typename T>
class LineAdapter : public TextAdapter<T> {
public:
    void PullSelection(forms::Control& control, QObject* part) const override {
        auto* line = qobject_cast<QLineEdit*>(part);
        if (line == nullptr) {
            return;
        }
        auto& edit = static_cast<forms::CustomEdit&>(control);
        int start = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        int end = line->hasSelectedText() ? line->selectionEnd() : start;
        int from = ByteOffset(edit.Text(), start);
        edit.SetSelStart(from);
        edit.SetSelLength(ByteOffset(edit.Text(), end) - from);
    }

protected:
    void Update(T& control, QWidget* widget, Router&) const override {
        auto* line = qobject_cast<QLineEdit*>(widget);
        if (line == nullptr) {
            line = widget->findChild<QLineEdit*>(kEditPart);
        }
        SyncLineEdit(*line, control);
    }
};

template <typename T>
class PlainEditAdapter final : public LineAdapter<T> {
protected:
    QWidget* Make(T& control, QWidget* parent, Router& router) const override {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(kEditPart);
        router.Watch(edit, &control);
        return edit;
    }
};

class SpinEditAdapterImpl final : public LineAdapter<forms::SpinEdit> {
protected:
    QWidget* Make(forms::SpinEdit& control, QWidget* parent, Router& router) const override {
        forms::Control* c = &control;
        auto* field = new EditWithButtons(parent, 2);
        field->buttons[0]->setArrowType(Qt::UpArrow);
        field->buttons[1]->setArrowType(Qt::DownArrow);
        for (int i = 0; i < 2; ++i) {
            int steps = i == 0 ? 1 : -1;
            QObject::connect(field->buttons[static_cast<std::size_t>(i)], &QToolButton::clicked,
                             field, [&router, c, steps] {
                                 router.Act(c, [c, steps](forms::User& user) {
                                     user.Spin(As<forms::SpinEdit>(c), steps);
                                 });
                             });
        }
        router.Watch(field->edit, c);
        return field;
    }
};

class ButtonEditAdapterImpl final : public LineAdapter<forms::ButtonEdit> {
protected:
    QWidget* Make(forms::ButtonEdit& control, QWidget* parent, Router& router) const override {
        forms::Control* c = &control;
        auto* field = new EditWithButtons(parent, 1);
        QObject::connect(field->buttons[0], &QToolButton::clicked, field, [&router, c] {
            router.Act(c, [c](forms::User& user) { user.ClickButton(As<forms::ButtonEdit>(c)); });
        });
        router.Watch(field->edit, c);
        return field;
    }
    void Update(forms::ButtonEdit& control, QWidget* widget, Router& router) const override {
        LineAdapter::Update(control, widget, router);
        auto* field = static_cast<EditWithButtons*>(widget);
        field->buttons[0]->setText(ToQt(control.ButtonCaption));
        field->buttons[0]->setToolTip(ToQt(control.ButtonHint));
        field->buttons[0]->setEnabled(control.ButtonEnabled);
    }
};

class MemoAdapterImpl final : public TextAdapter<forms::Memo> {
public:
    bool WantsTab(forms::Control& control) const override {
        return static_cast<forms::Memo&>(control).WantTabs;
    }
    void PullSelection(forms::Control& control, QObject* part) const override;

protected:
    QWidget* Make(forms::Memo& control, QWidget* parent, Router& router) const override {
        auto* memo = new QPlainTextEdit(parent);
        router.Watch(memo, &control);
        router.Watch(memo->viewport(), &control);
        return memo;
    }
    void Update(forms::Memo& model, QWidget* widget, Router&) const override {
        auto& edit = *static_cast<QPlainTextEdit*>(widget);
        QString text = MemoText(model.Text());
        if (edit.toPlainText() != text) {
            edit.setPlainText(text);
        }
        edit.setReadOnly(model.ReadOnly);
        edit.setLineWrapMode(model.WordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        auto policy = [&](bool on) { return on ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff; };
        using forms::ScrollStyle;
        edit.setVerticalScrollBarPolicy(policy(model.ScrollBars == ScrollStyle::Vertical ||
                                               model.ScrollBars == ScrollStyle::Both));
        edit.setHorizontalScrollBarPolicy(policy(model.ScrollBars == ScrollStyle::Horizontal ||
                                                 model.ScrollBars == ScrollStyle::Both));
        if (QApplication::mouseButtons() != Qt::NoButton) {
            return;
        }
        SyncMemoSelection(edit, model);
    }
};

void MemoAdapterImpl::PullSelection(forms::Control& control, QObject* part) const {
    auto* memo = qobject_cast<QPlainTextEdit*>(part->parent());
    if (memo == nullptr) {
        return;
    }
    auto& edit = static_cast<forms::CustomEdit&>(control);
    QTextCursor cursor = memo->textCursor();
    int start = cursor.selectionStart();
    int end = cursor.selectionEnd();
    // The memo shows CR LF as one break: count it back as two bytes.
    const std::string& text = edit.Text();
    auto toBytes = [&](int chars) {
        std::size_t i = 0;
        for (int n = 0; i < text.size() && n < chars; ++n) {
            if (text.compare(i, 2, "\r\n") == 0) {
                i += 2;
            } else {
                i += zeph::text::CharLength(text, i);
            }
        }
        return static_cast<int>(i);
    };
    edit.SetSelStart(toBytes(start));
    edit.SetSelLength(toBytes(end) - toBytes(start));
}

} // namespace

const KindAdapter& EditAdapter() {
    static const PlainEditAdapter<forms::Edit> adapter;
    return adapter;
}

const KindAdapter& LabeledEditAdapter() {
    static const PlainEditAdapter<forms::LabeledEdit> adapter;
    return adapter;
}

const KindAdapter& MemoAdapter() {
    static const MemoAdapterImpl adapter;
    return adapter;
}

const KindAdapter& SpinEditAdapter() {
    static const SpinEditAdapterImpl adapter;
    return adapter;
}

const KindAdapter& ButtonEditAdapter() {
    static const ButtonEditAdapterImpl adapter;
    return adapter;
}

} // namespace zeph::qtforms
