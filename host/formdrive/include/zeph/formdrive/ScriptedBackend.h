// The backend for tests: a test says what the person does when a window appears and how each
// message box and dialog is answered; everything shown is recorded.
#pragma once

#include <zeph/formdrive/Script.h>
#include <zeph/formdrive/User.h>
#include <zeph/formdrive/WindowScripts.h>
#include <zeph/forms/Backend.h>
#include <zeph/forms/Form.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zeph::forms {

enum class ShownKind { Message, OpenDialog, SaveDialog, FolderDialog, Window };

struct Shown {
    ShownKind kind = ShownKind::Message;
    std::string source;  // "InfoDlg", ... for messages; the window class for windows
    std::string text;    // host text: message text, dialog filter or title, window caption
    std::string caption; // host text
    WindowHandle owner = kNoOwner;
    bool modal = false;
};

class ZEPH_HOST_API ScriptedBackend : public Backend {
public:
    using Action = WindowScripts::Action;

    // What the person does when a window of class T is shown (modal or not). Several for the
    // same window are used one per showing, in order; the last one stays for later showings.
    template <typename T>
    void When(std::function<void(T& form, User& user)> action) {
        scripts_.Add(WindowScripts::KeyOf<T>(),
                     [action](Form& form, User& user) { action(dynamic_cast<T&>(form), user); });
    }
    // The same by window class name or window name (case-insensitive).
    void When(std::string window, Action action) {
        scripts_.Add(std::move(window), std::move(action));
    }
    // What the person does while a long piece of work lets events through: the action runs
    // inside the nth call of ProcessMessages (1 for the first) of the whole test. Actions for
    // the same call run in the order they were given.
    void WhenProcessingMessages(std::size_t nth, std::function<void(User& user)> action);
    // How many times work has let events through so far.
    std::size_t ProcessMessagesCalls() const noexcept { return processMessagesCalls_; }

    // The sections of a parsed script.
    void Load(const Script& script) { scripts_.Load(script); }

    // Answers, each used once, in order. A message box with only an OK button takes none.
    void AnswerMessage(ModalResult answer) { messageAnswers_.push_back(answer); }
    void AnswerYes() { AnswerMessage(ModalResult::Yes); }
    void AnswerNo() { AnswerMessage(ModalResult::No); }
    void AnswerFile(std::string file, int filterIndex = 0);
    void AnswerFiles(std::vector<std::string> files, int filterIndex = 0);
    void CancelFileDialog() { fileAnswers_.push_back(std::nullopt); }
    void AnswerFolder(std::string folder) { folderAnswers_.push_back(std::move(folder)); }
    void CancelFolderDialog() { folderAnswers_.push_back(std::nullopt); }

    // Everything shown, in order.
    const std::vector<Shown>& Records() const noexcept { return records_; }
    const std::vector<MessageRequest>& Messages() const noexcept { return messages_; }
    const std::vector<FileDialogRequest>& FileDialogs() const noexcept { return fileDialogs_; }
    const std::vector<FolderDialogRequest>& FolderDialogs() const noexcept {
        return folderDialogs_;
    }
    // Message texts (host text), in order.
    std::vector<std::string> MessageTexts() const;
    const std::vector<Cursor>& CursorChanges() const noexcept { return cursors_; }

    // What went wrong for the test to see (UTF-8): a question or dialog without an answer, an
    // answer that fits no button, a window that refused to close, an error shown by the
    // framework.
    const std::vector<std::string>& Failures() const noexcept { return failures_; }
    // Answers given but not used.
    std::size_t UnusedAnswers() const noexcept {
        return messageAnswers_.size() + fileAnswers_.size() + folderAnswers_.size();
    }

    ModalResult RunModal(Form& form) override;
    void ShowModeless(Form& form) override;
    ModalResult ShowMessage(const MessageRequest& request) override;
    std::optional<FileDialogAnswer> RunFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> RunFolderDialog(const FolderDialogRequest& request) override;
    void CursorChanged(Cursor cursor) override { cursors_.push_back(cursor); }
    void ProcessMessages() override;

private:
    void RecordWindow(Form& form, bool modal);

    WindowScripts scripts_;
    User user_;
    std::deque<ModalResult> messageAnswers_;
    std::deque<std::optional<FileDialogAnswer>> fileAnswers_;
    std::deque<std::optional<std::string>> folderAnswers_;
    std::vector<Shown> records_;
    std::vector<MessageRequest> messages_;
    std::vector<FileDialogRequest> fileDialogs_;
    std::vector<FolderDialogRequest> folderDialogs_;
    std::vector<Cursor> cursors_;
    std::vector<std::string> failures_;
    std::vector<std::pair<std::size_t, std::function<void(User&)>>> duringWork_;
    std::size_t processMessagesCalls_ = 0;
};

} // namespace zeph::forms
