// The backend of the host program: message boxes and dialogs are written to the error stream,
// one line each ("InfoDlg: 传入的参数为空", "SaveDialog: a.xls"), in UTF-8; a progress window
// (a window shown without waiting that holds a progress bar) gives a line with its texts when
// shown and one with its texts and bars when it goes. Answers come from
// a queue the program fills, then from the terminal, else no / cancel. Modal windows run a
// loaded script, or are presented on the terminal, or close with their cancel result.
#pragma once

#include <zeph/formdrive/Script.h>
#include <zeph/formdrive/User.h>
#include <zeph/formdrive/WindowScripts.h>
#include <zeph/forms/Backend.h>
#include <zeph/forms/Form.h>

#include <deque>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>

namespace zeph::forms {

// An answer that does not answer the box asking (a question answered "maybe"): it ends the
// word instead of passing for a choice.
class ZEPH_HOST_API EAnswerError : public EUserAction {
public:
    using EUserAction::EUserAction;
};

class ZEPH_HOST_API ConsoleBackend : public Backend {
public:
    // log: where the lines go; terminal: where a person answers when interactive is true.
    ConsoleBackend(std::ostream& log, std::istream& terminal, bool interactive);
    // Standard error, and standard input when it is a terminal.
    static std::shared_ptr<ConsoleBackend> ForProcess();

    // An answer in UTF-8: yes/y/true/ok/1 or no/n/false/0, or cancel, for message boxes (a box
    // with only OK takes none); a path, several paths joined by "|" (multi-select), or "cancel"
    // for file dialogs; a folder or "cancel" for the folder browser. Relative paths are made
    // absolute; a folder loses its final "/".
    void AddAnswer(std::string utf8);
    std::size_t PendingAnswers() const noexcept { return answers_.size(); }
    void Load(const Script& script) { scripts_.Load(script); }

    ModalResult RunModal(Form& form) override;
    void ShowModeless(Form& form) override;
    void WindowChanged(Form& form) override;
    // Nothing waits: a console paints nothing and reads answers only when a dialog asks.
    void ProcessMessages() override {}
    void WindowDestroyed(Form& form) override;
    ModalResult ShowMessage(const MessageRequest& request) override;
    std::optional<FileDialogAnswer> RunFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> RunFolderDialog(const FolderDialogRequest& request) override;
    void PresentWindow(Form& form) override;

    // The controls of a window, one per line: name, kind, value (UTF-8).
    static std::string Present(const Form& form);

private:
    void Line(const std::string& kind, const std::string& hostText);
    // The next answer: from the queue, else asked on the terminal; empty when none.
    std::optional<std::string> NextAnswer(const std::string& prompt);
    void Converse(Form& form);
    void RunScripted(Form& form, const WindowScripts::Action& action);

    std::ostream& log_;
    std::istream& terminal_;
    bool interactive_;
    std::deque<std::string> answers_;
    struct ProgressState {
        std::string className;
        std::string texts; // host text
        std::string bars;  // host text
    };
    std::map<const Form*, ProgressState> progress_;
    WindowScripts scripts_;
    User user_;
};

} // namespace zeph::forms
