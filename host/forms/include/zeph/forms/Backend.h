// A backend presents windows and the standard dialogs: the scripted one for tests, the console
// one for the host program, a graphical one later. Windows never talk to a GUI library.
#pragma once

#include <zeph/forms/Types.h>
#include <zeph/text/HostText.h>

#include <optional>
#include <string>
#include <vector>

namespace zeph::forms {

class Form;

enum class MessageKind { Information, Question, Error, Warning, Plain };
enum class MessageButtons { Ok, YesNo, OkCancel, YesNoCancel };

struct MessageRequest {
    MessageKind kind = MessageKind::Information;
    std::string text;    // host text
    std::string caption; // host text
    MessageButtons buttons = MessageButtons::Ok;
    WindowHandle owner = kNoOwner;
    // The routine that asked: "InfoDlg", "QuesDlg", "ErrorDlg", "MessageBox", ...
    std::string source;
};

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string name;   // the dialog component's name
    std::string title;  // host text
    std::string filter; // "description|pattern|description|pattern"
    int filterIndex = 1;
    std::string defaultExt; // ".xls"
    std::string fileName;   // proposed name
    std::string initialDir;
    bool multiSelect = false;
    WindowHandle owner = kNoOwner;
};

struct FileDialogAnswer {
    std::vector<std::string> files; // full paths, host text; one unless multi-select
    int filterIndex = 1;
};

enum class FolderRoot { Desktop, Drives };

struct FolderDialogRequest {
    std::string title; // host text
    WindowHandle owner = kNoOwner;
    FolderRoot root = FolderRoot::Desktop;
    bool fileSystemOnly = true;
    std::string initialDir;
};

class ZEPH_HOST_API Backend {
public:
    virtual ~Backend() = default;

    // Runs the window modally: turns what the person does into User actions until
    // form.ModalEnded(). Form::ShowModal ends a window that is still open when this returns
    // with Cancel, through Close when the window allows it.
    virtual ModalResult RunModal(Form& form) = 0;
    virtual void ShowModeless(Form& form) = 0;
    virtual void HideWindow(Form& form) { (void)form; }

    // Returns the button chosen: Ok, Yes, No or Cancel.
    virtual ModalResult ShowMessage(const MessageRequest& request) = 0;
    // Empty when the person cancels.
    virtual std::optional<FileDialogAnswer> RunFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> RunFolderDialog(const FolderDialogRequest& request) = 0;

    virtual void CursorChanged(Cursor cursor) { (void)cursor; }
    // A window asked to be drawn again or brought to the front.
    virtual void WindowChanged(Form& form) { (void)form; }
    // A window asked to be drawn now: it is painted before this returns.
    virtual void PaintWindow(Form& form) { WindowChanged(form); }
    // Lets pending events through while a long piece of work runs on this thread: windows
    // paint and take what a person does. Actions may run windows' handlers from inside.
    virtual void ProcessMessages() {}
    // A request (an interface word) starts and ends. Meanwhile only windows that appear for
    // it take a person's actions; the windows that were there before wait.
    virtual void RequestStarted() {}
    virtual void RequestEnded() {}
    // A window is being destroyed; a backend forgets it.
    virtual void WindowDestroyed(Form& form) { (void)form; }
    // A script asks to see the window as it stands (the action show); a console writes its
    // controls and their values.
    virtual void PresentWindow(Form& form) { (void)form; }
};

} // namespace zeph::forms
