// Carrying out script actions on a window through the user-action calls, as a person would.
#include "ScriptKeys.h"

#include <zeph/formdrive/Script.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/ProgressBar.h>
#include <zeph/text/HostText.h>

#include <optional>
#include <string>
#include <vector>

namespace zeph::forms {
namespace {

std::string Where(const ScriptAction& action) {
    return action.line > 0 ? "line " + std::to_string(action.line) + ": " : std::string();
}

[[noreturn]] void Misfit(const ScriptAction& action, const Control& control) {
    throw EUserAction(Where(action) + "'" + ScriptVerbName(action.verb) + "' does not apply to " +
                      control.Name() + " (" + control.KindName() + ")");
}

int IndexOfText(const ScriptAction& action, const Control& control,
                const std::vector<std::string>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] == action.item.text) {
            return static_cast<int>(i);
        }
    }
    throw EUserAction(Where(action) + control.Name() + " has no item '" +
                      zeph::text::GbkToUtf8(action.item.text) + "'");
}

int SingleIndex(const ScriptAction& action, const Control& control) {
    if (action.item.path.size() != 1) {
        throw EUserAction(Where(action) + control.Name() +
                          " is a list: give one index, not a path");
    }
    return action.item.path.front();
}

int ListIndex(const ScriptAction& action, const Control& control,
              const std::vector<std::string>& texts) {
    if (action.item.kind == ScriptItem::Kind::Text) {
        return IndexOfText(action, control, texts);
    }
    int index = SingleIndex(action, control);
    if (index >= static_cast<int>(texts.size())) {
        throw EUserAction(Where(action) + control.Name() + " has no item " + std::to_string(index) +
                          " (it has " + std::to_string(texts.size()) + ")");
    }
    return index;
}

std::vector<std::string> Captions(const ListView& view) {
    std::vector<std::string> out;
    for (int i = 0; i < view.Items.Count(); ++i) {
        out.push_back(view.Items[i].Caption);
    }
    return out;
}

TreeNode& NodeOf(const ScriptAction& action, const TreeView& tree) {
    TreeNode* node = action.item.kind == ScriptItem::Kind::Text
                         ? tree.Items.FindText(action.item.text)
                         : tree.Items.AtPath(action.item.path);
    if (node == nullptr) {
        throw EUserAction(Where(action) + tree.Name() + " has no such node");
    }
    return *node;
}

std::vector<std::string> PageCaptions(const PageControl& pages) {
    std::vector<std::string> names;
    for (int i = 0; i < pages.PageCount(); ++i) {
        names.push_back(pages.Page(i).Caption);
    }
    return names;
}

// Actions on the window itself; nullopt when the verb acts on a control.
std::optional<bool> RunWindowAction(const ScriptAction& action, Form& form, User& user) {
    switch (action.verb) {
    case ScriptVerb::Escape:
        return user.Escape(form);
    case ScriptVerb::Enter:
        return user.Enter(form);
    case ScriptVerb::Close:
        return user.CloseBox(form);
    case ScriptVerb::Show:
        Application()->GetBackend().PresentWindow(form);
        return true;
    default:
        return std::nullopt;
    }
}

Control& TargetOf(const ScriptAction& action, Form& form) {
    Control* found = FindControl(form, action.target);
    if (found == nullptr) {
        throw EUserAction(Where(action) + "the window " + form.ClassName() +
                          " has no control named '" + action.target + "'");
    }
    return *found;
}

bool TypeInto(const ScriptAction& action, Control& control, User& user) {
    std::string text = action.text;
    for (char& c : text) {
        if (c == '\n') {
            c = '\r'; // the Enter key
        }
    }
    return user.Type(control, text);
}

// A pasted text with its line breaks as the clipboard holds them.
std::string PastedText(const ScriptAction& action) {
    std::string text;
    for (char c : action.text) {
        text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return text;
}

// A page is chosen by its name as well as by its caption or index.
bool SelectPage(const ScriptAction& action, PageControl& pages, User& user) {
    if (action.item.kind == ScriptItem::Kind::Text) {
        for (int i = 0; i < pages.PageCount(); ++i) {
            if (zeph::text::SameText(pages.Page(i).Name(), action.item.text)) {
                return user.Select(pages, i);
            }
        }
    }
    return user.Select(pages, ListIndex(action, pages, PageCaptions(pages)));
}

// A key by its name ("enter", "f5", ...), else the character typed.
bool PressKeyOn(const ScriptAction& action, Control& control, User& user) {
    std::uint16_t key = ScriptKeyCode(zeph::text::LowerCase(action.text));
    if (key != 0) {
        return user.PressKey(control, key);
    }
    return user.KeyPress(control, action.text.empty() ? '\0' : action.text.front());
}

// The verbs whose meaning depends on the kind of control (paste, click-button, double-click
// on an item, select, tick, expand, set, spin), one Visit per kind. A verb the kind does not
// take is refused.
class KindVerbs final : public ControlVisitor {
public:
    KindVerbs(const ScriptAction& action, User& user) : action_(action), user_(user) {}
    bool done = false;

    void Visit(Edit& c) override { done = OnText(c); }
    void Visit(LabeledEdit& c) override { done = OnText(c); }
    void Visit(Memo& c) override { done = OnText(c); }
    void Visit(SpinEdit& c) override {
        done = Is(ScriptVerb::Spin) ? user_.Spin(c, action_.number) : OnText(c);
    }
    void Visit(ButtonEdit& c) override {
        done = Is(ScriptVerb::ClickButton) ? user_.ClickButton(c) : OnText(c);
    }
    void Visit(ComboBox& c) override {
        done = Is(ScriptVerb::Select) ? user_.Select(c, Index(c, c.Items.Items())) : OnText(c);
    }
    void Visit(ListBox& c) override { done = OnListBox(c); }
    void Visit(CheckListBox& c) override {
        done = IsTick() ? Tick(c, Index(ItemNeeded(c), c.Items.Items())) : OnListBox(c);
    }
    void Visit(ListView& c) override { done = OnListView(c); }
    void Visit(TreeView& c) override { done = OnTree(c); }
    void Visit(DataTreeView& c) override { done = OnTree(c); }
    void Visit(PageControl& c) override {
        done = Is(ScriptVerb::Select) ? SelectPage(action_, c, user_) : Refuse(c);
    }
    void Visit(CheckBox& c) override { done = OnCheckBox(c); }
    void Visit(DateTimePicker& c) override {
        done = Is(ScriptVerb::Set) ? user_.Choose(c, ParseDateTime(action_.text).value_or(0))
                                   : Refuse(c);
    }
    void Visit(Button& c) override { done = Refuse(c); }
    void Visit(RadioButton& c) override { done = Refuse(c); }
    void Visit(Label& c) override { done = Refuse(c); }
    void Visit(Shape& c) override { done = Refuse(c); }
    void Visit(Panel& c) override { done = Refuse(c); }
    void Visit(GroupBox& c) override { done = Refuse(c); }
    void Visit(ScrollBox& c) override { done = Refuse(c); }
    void Visit(Splitter& c) override { done = Refuse(c); }
    void Visit(TabSheet& c) override { done = Refuse(c); }
    void Visit(ProgressBar& c) override { done = Refuse(c); }
    void Visit(Form& c) override { done = Refuse(c); }

private:
    bool Is(ScriptVerb verb) const { return action_.verb == verb; }
    bool IsTick() const { return Is(ScriptVerb::Tick) || Is(ScriptVerb::Untick); }
    bool HasItem() const { return action_.item.kind != ScriptItem::Kind::None; }

    int Index(const Control& control, const std::vector<std::string>& texts) const {
        return ListIndex(action_, control, texts);
    }
    // Ticking in a list names the item.
    const Control& ItemNeeded(const Control& control) const {
        if (!HasItem()) {
            throw EUserAction(Where(action_) + "'" + ScriptVerbName(action_.verb) + " " +
                              control.Name() + "' needs an item");
        }
        return control;
    }
    template <typename List>
    bool Tick(List& list, int index) {
        return Is(ScriptVerb::Tick) ? user_.Tick(list, index) : user_.Untick(list, index);
    }

    [[noreturn]] bool Refuse(const Control& control) const {
        if (IsTick()) {
            ItemNeeded(control);
        }
        Misfit(action_, control);
    }
    bool OnText(Control& control) {
        return Is(ScriptVerb::Paste) ? user_.Paste(control, PastedText(action_)) : Refuse(control);
    }
    bool OnListBox(ListBox& list) {
        if (Is(ScriptVerb::DoubleClick)) {
            return user_.DoubleClick(list, Index(list, list.Items.Items()));
        }
        if (Is(ScriptVerb::Select)) {
            return user_.Select(list, Index(list, list.Items.Items()));
        }
        if (Is(ScriptVerb::SelectMore)) {
            return user_.SelectMore(list, Index(list, list.Items.Items()));
        }
        return Refuse(list);
    }
    bool OnListView(ListView& view) {
        if (Is(ScriptVerb::DoubleClick)) {
            return user_.DoubleClick(view, Index(view, Captions(view)));
        }
        if (Is(ScriptVerb::Select)) {
            return user_.Select(view, Index(view, Captions(view)));
        }
        if (IsTick()) {
            return Tick(view, Index(ItemNeeded(view), Captions(view)));
        }
        return Refuse(view);
    }
    bool OnTree(TreeView& tree) {
        if (Is(ScriptVerb::DoubleClick)) {
            return user_.DoubleClick(tree, NodeOf(action_, tree));
        }
        if (Is(ScriptVerb::Select)) {
            return user_.Select(tree, NodeOf(action_, tree));
        }
        if (Is(ScriptVerb::Expand)) {
            return user_.Expand(tree, NodeOf(action_, tree));
        }
        if (Is(ScriptVerb::Collapse)) {
            return user_.Collapse(tree, NodeOf(action_, tree));
        }
        return Refuse(tree);
    }
    // A check box is ticked whole, never by item.
    bool OnCheckBox(CheckBox& box) {
        if (!IsTick() || HasItem()) {
            Misfit(action_, box);
        }
        return Is(ScriptVerb::Tick) ? user_.Tick(box) : user_.Untick(box);
    }

    const ScriptAction& action_;
    User& user_;
};

bool ByKind(const ScriptAction& action, Control& control, User& user) {
    KindVerbs verbs(action, user);
    control.Accept(verbs);
    return verbs.done;
}

bool RunControlAction(const ScriptAction& action, Control& control, User& user) {
    switch (action.verb) {
    case ScriptVerb::Type:
        return TypeInto(action, control, user);
    case ScriptVerb::Clear:
        return user.ClearText(control);
    case ScriptVerb::Click:
        return user.Click(control);
    case ScriptVerb::RightClick:
        return user.RightClick(control);
    case ScriptVerb::Focus:
        return user.Focus(control);
    case ScriptVerb::DoubleClick:
        if (action.item.kind == ScriptItem::Kind::None) {
            return user.DoubleClick(control);
        }
        return ByKind(action, control, user);
    case ScriptVerb::Key:
        return PressKeyOn(action, control, user);
    case ScriptVerb::Paste:
    case ScriptVerb::ClickButton:
    case ScriptVerb::Select:
    case ScriptVerb::SelectMore:
    case ScriptVerb::Tick:
    case ScriptVerb::Untick:
    case ScriptVerb::Expand:
    case ScriptVerb::Collapse:
    case ScriptVerb::Set:
    case ScriptVerb::Spin:
        return ByKind(action, control, user);
    default:
        return false;
    }
}

} // namespace

bool RunScriptAction(const ScriptAction& action, Form& form, User& user) {
    if (std::optional<bool> done = RunWindowAction(action, form, user)) {
        return *done;
    }
    return RunControlAction(action, TargetOf(action, form), user);
}

void RunWindowScript(const WindowScript& script, Form& form, User& user) {
    for (const ScriptAction& action : script.actions) {
        if (form.IsModal() && form.ModalEnded()) {
            throw EUserAction(Where(action) + "the window " + form.ClassName() +
                              " has already closed");
        }
        RunScriptAction(action, form, user);
    }
}

} // namespace zeph::forms
