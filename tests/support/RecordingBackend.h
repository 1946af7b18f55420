// A backend for plug-in tests: records every message box and answers questions from a queue.
#pragma once

#include <zeph/forms/Backend.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zeph::testing {

class RecordingBackend final : public forms::Backend {
public:
    struct Shown {
        std::string source; // "InfoDlg", "QuesDlg", ...
        std::string text;   // UTF-8
        forms::WindowHandle owner;
    };

    forms::ModalResult RunModal(forms::Form& form) override;
    void ShowModeless(forms::Form&) override {}
    forms::ModalResult ShowMessage(const forms::MessageRequest& request) override;
    std::optional<forms::FileDialogAnswer> RunFileDialog(const forms::FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> RunFolderDialog(const forms::FolderDialogRequest&) override {
        return std::nullopt;
    }

    std::vector<Shown> shown;
    std::deque<bool> answers; // for questions: true = yes
};

// Installs a fresh recording backend in the current application for the scope.
class ScopedRecordingBackend {
public:
    ScopedRecordingBackend();
    ~ScopedRecordingBackend();
    RecordingBackend& operator*() { return *backend_; }
    RecordingBackend* operator->() { return backend_.get(); }

private:
    std::shared_ptr<RecordingBackend> backend_;
};

} // namespace zeph::testing
