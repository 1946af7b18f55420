// Scripts of what a person does in windows: a UTF-8 text of sections, one per showing of a
// window, each a list of actions (format: docs/zeph-host-script.md).
//
//   [TfrmSMEdit]
//   type edtReceiverMessage 13800000000
//   click btnOk
#pragma once

#include <zeph/formdrive/User.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/Types.h>

#include <string>
#include <string_view>
#include <vector>

namespace zeph::forms {

enum class ScriptVerb {
    Type,
    Paste,
    Clear,
    Click,
    DoubleClick,
    RightClick,
    ClickButton,
    Focus,
    Select,
    SelectMore,
    Tick,
    Untick,
    Expand,
    Collapse,
    Key,
    Set,
    Spin,
    Escape,
    Enter,
    Close,
    Show,
};

// How an action names an item: nothing, an index path (one index, or "0/2/1" for a tree
// node), or a text.
struct ScriptItem {
    enum class Kind { None, Index, Text } kind = Kind::None;
    std::vector<int> path;
    std::string text; // host text
};

struct ScriptAction {
    int line = 0;
    ScriptVerb verb = ScriptVerb::Click;
    std::string target; // control name; empty for window actions
    std::string text;   // host text for type and paste; a key name for key; a value for set
    ScriptItem item;
    int number = 0; // steps of spin
};

struct WindowScript {
    std::string window; // window class or window name, as written
    int line = 0;
    std::vector<ScriptAction> actions;
};

struct Script {
    std::vector<WindowScript> windows;
};

class ZEPH_HOST_API EScriptError : public EFormsError {
public:
    EScriptError(int line, const std::string& message);
    int Line() const noexcept { return line_; }

private:
    int line_;
};

// Parses a script; raises EScriptError naming the first bad line.
ZEPH_HOST_API Script ParseScript(std::string_view utf8);
// Parses one action line (the console's commands); raises EScriptError for line number 0.
ZEPH_HOST_API ScriptAction ParseScriptAction(std::string_view utf8);
// The name of a verb as scripts write it.
ZEPH_HOST_API const char* ScriptVerbName(ScriptVerb verb);

// Carries out one action on a window; raises EUserAction (with the line) when the window has
// no such control or the action does not fit it. Returns what the User action returned.
ZEPH_HOST_API bool RunScriptAction(const ScriptAction& action, Form& form, User& user);
// Carries out the actions in order, stopping when the window's modal showing has ended.
ZEPH_HOST_API void RunWindowScript(const WindowScript& script, Form& form, User& user);

} // namespace zeph::forms
