// Carrying out script actions on a window through the user-action calls, as a person would.
#include "ScriptKeys.h"

#include <zeph/formdrive/Script.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Label.h>
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

bool PasteInto(const ScriptAction& action, Control& control, User& user) {
    std::string text;
    for (char c : action.text) {
        text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    if (dynamic_cast<CustomEdit*>(&control) == nullptr &&
        dynamic_cast<ComboBox*>(&control) == nullptr) {
        Misfit(action, control);
    }
    return user.Paste(control, text);
}

bool ClickEditButton(const ScriptAction& action, Control& control, User& user) {
    if (auto* edit = dynamic_cast<ButtonEdit*>(&control)) {
        return user.ClickButton(*edit);
    }
    Misfit(action, control);
}

bool DoubleClickOn(const ScriptAction& action, Control& control, User& user) {
    if (action.item.kind == ScriptItem::Kind::None) {
        return user.DoubleClick(control);
    }
    if (auto* list = dynamic_cast<ListBox*>(&control)) {
        return user.DoubleClick(*list, ListIndex(action, control, list->Items.Items()));
    }
    if (auto* view = dynamic_cast<ListView*>(&control)) {
        return user.DoubleClick(*view, ListIndex(action, control, Captions(*view)));
    }
    if (auto* tree = dynamic_cast<TreeView*>(&control)) {
        return user.DoubleClick(*tree, NodeOf(action, *tree));
    }
    Misfit(action, control);
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

// select, and select-more (which only a list box takes).
bool SelectIn(const ScriptAction& action, Control& control, User& user) {
    if (auto* list = dynamic_cast<ListBox*>(&control)) {
        int index = ListIndex(action, control, list->Items.Items());
        return action.verb == ScriptVerb::Select ? user.Select(*list, index)
                                                 : user.SelectMore(*list, index);
    }
    if (action.verb == ScriptVerb::SelectMore) {
        Misfit(action, control);
    }
    if (auto* combo = dynamic_cast<ComboBox*>(&control)) {
        return user.Select(*combo, ListIndex(action, control, combo->Items.Items()));
    }
    if (auto* view = dynamic_cast<ListView*>(&control)) {
        return user.Select(*view, ListIndex(action, control, Captions(*view)));
    }
    if (auto* tree = dynamic_cast<TreeView*>(&control)) {
        return user.Select(*tree, NodeOf(action, *tree));
    }
    if (auto* pages = dynamic_cast<PageControl*>(&control)) {
        return SelectPage(action, *pages, user);
    }
    Misfit(action, control);
}

// tick and untick: a check box whole, or an item of a check list or list view.
bool TickIn(const ScriptAction& action, Control& control, User& user) {
    const bool tick = action.verb == ScriptVerb::Tick;
    const bool hasItem = action.item.kind != ScriptItem::Kind::None;
    if (auto* box = dynamic_cast<CheckBox*>(&control)) {
        if (hasItem) {
            Misfit(action, control);
        }
        return tick ? user.Tick(*box) : user.Untick(*box);
    }
    if (!hasItem) {
        throw EUserAction(Where(action) + "'" + ScriptVerbName(action.verb) + " " + control.Name() +
                          "' needs an item");
    }
    if (auto* list = dynamic_cast<CheckListBox*>(&control)) {
        int index = ListIndex(action, control, list->Items.Items());
        return tick ? user.Tick(*list, index) : user.Untick(*list, index);
    }
    if (auto* view = dynamic_cast<ListView*>(&control)) {
        int index = ListIndex(action, control, Captions(*view));
        return tick ? user.Tick(*view, index) : user.Untick(*view, index);
    }
    Misfit(action, control);
}

bool ExpandIn(const ScriptAction& action, Control& control, User& user) {
    if (auto* tree = dynamic_cast<TreeView*>(&control)) {
        TreeNode& node = NodeOf(action, *tree);
        return action.verb == ScriptVerb::Expand ? user.Expand(*tree, node)
                                                 : user.Collapse(*tree, node);
    }
    Misfit(action, control);
}

// A key by its name ("enter", "f5", ...), else the character typed.
bool PressKeyOn(const ScriptAction& action, Control& control, User& user) {
    std::uint16_t key = ScriptKeyCode(zeph::text::LowerCase(action.text));
    if (key != 0) {
        return user.PressKey(control, key);
    }
    return user.KeyPress(control, action.text.empty() ? '\0' : action.text.front());
}

bool SetValueOf(const ScriptAction& action, Control& control, User& user) {
    if (auto* picker = dynamic_cast<DateTimePicker*>(&control)) {
        return user.Choose(*picker, ParseDateTime(action.text).value_or(0));
    }
    Misfit(action, control);
}

bool SpinBy(const ScriptAction& action, Control& control, User& user) {
    if (auto* spin = dynamic_cast<SpinEdit*>(&control)) {
        return user.Spin(*spin, action.number);
    }
    Misfit(action, control);
}

bool RunControlAction(const ScriptAction& action, Control& control, User& user) {
    switch (action.verb) {
    case ScriptVerb::Type:
        return TypeInto(action, control, user);
    case ScriptVerb::Paste:
        return PasteInto(action, control, user);
    case ScriptVerb::Clear:
        return user.ClearText(control);
    case ScriptVerb::Click:
        return user.Click(control);
    case ScriptVerb::ClickButton:
        return ClickEditButton(action, control, user);
    case ScriptVerb::Focus:
        return user.Focus(control);
    case ScriptVerb::DoubleClick:
        return DoubleClickOn(action, control, user);
    case ScriptVerb::Select:
    case ScriptVerb::SelectMore:
        return SelectIn(action, control, user);
    case ScriptVerb::Tick:
    case ScriptVerb::Untick:
        return TickIn(action, control, user);
    case ScriptVerb::Expand:
    case ScriptVerb::Collapse:
        return ExpandIn(action, control, user);
    case ScriptVerb::Key:
        return PressKeyOn(action, control, user);
    case ScriptVerb::Set:
        return SetValueOf(action, control, user);
    case ScriptVerb::Spin:
        return SpinBy(action, control, user);
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
