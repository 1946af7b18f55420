// How zeph-host presents what the plug-in shows: every message box and dialog becomes one line
// "KIND: text" on standard error; answers come from the --answer queue, then from a terminal,
// else no / cancel. Modal windows are closed with their cancel result.
#pragma once

#include <zeph/forms/Backend.h>

#include <deque>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>

namespace zeph::emulator {

// An answer that does not fit the dialog that takes it (a question answered "maybe").
class EAnswerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ConsoleDialogs : public forms::Backend {
public:
    // terminal: where to ask when the queue is empty; nullptr when there is no terminal.
    ConsoleDialogs(std::ostream& lines, std::istream* terminal);

    void AddAnswers(const std::deque<std::string>& answers);
    void ClearAnswers() { answers_.clear(); }
    std::size_t PendingAnswers() const noexcept { return answers_.size(); }

    forms::ModalResult RunModal(forms::Form& form) override;
    void ShowModeless(forms::Form& form) override;
    forms::ModalResult ShowMessage(const forms::MessageRequest& request) override;
    std::optional<forms::FileDialogAnswer>
    RunFileDialog(const forms::FileDialogRequest& request) override;
    std::optional<std::string> RunFolderDialog(const forms::FolderDialogRequest& request) override;

private:
    void Line(const std::string& kind, const std::string& hostText);
    // The next answer (UTF-8), or nothing: no answers left and no terminal (or its end).
    std::optional<std::string> NextAnswer(const std::string& prompt);
    std::optional<std::string> PathAnswer(const std::string& prompt);

    std::ostream& lines_;
    std::istream* terminal_;
    std::deque<std::string> answers_;
};

// "text" as one line: carriage returns and line feeds become the two characters \r and \n.
std::string OneLine(const std::string& utf8);

} // namespace zeph::emulator
