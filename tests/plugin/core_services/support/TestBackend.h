// A backend that answers the standard dialogs from queued answers and records what was shown.
#pragma once

#include <zeph/forms/Backend.h>
#include <zeph/forms/Form.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace services_test {

class TestBackend final : public zeph::forms::Backend {
public:
    // Answers, taken in order; a dialog with no answer left counts as cancelled and is noted.
    std::deque<std::optional<zeph::forms::FileDialogAnswer>> fileAnswers;
    std::deque<std::optional<std::string>> folderAnswers;

    std::vector<zeph::forms::FileDialogRequest> fileRequests;
    std::vector<zeph::forms::FolderDialogRequest> folderRequests;
    std::vector<zeph::forms::MessageRequest> messages;
    std::vector<zeph::forms::Cursor> cursors;
    int unansweredDialogs = 0;

    void AnswerFiles(std::vector<std::string> files) {
        zeph::forms::FileDialogAnswer answer;
        answer.files = std::move(files);
        fileAnswers.emplace_back(std::move(answer));
    }
    void CancelFileDialog() { fileAnswers.emplace_back(std::nullopt); }

    zeph::forms::ModalResult RunModal(zeph::forms::Form&) override {
        return zeph::forms::ModalResult::Cancel;
    }
    void ShowModeless(zeph::forms::Form&) override {}
    zeph::forms::ModalResult ShowMessage(const zeph::forms::MessageRequest& request) override {
        messages.push_back(request);
        return request.buttons == zeph::forms::MessageButtons::Ok ? zeph::forms::ModalResult::Ok
                                                                  : zeph::forms::ModalResult::No;
    }
    std::optional<zeph::forms::FileDialogAnswer>
    RunFileDialog(const zeph::forms::FileDialogRequest& request) override {
        fileRequests.push_back(request);
        if (fileAnswers.empty()) {
            ++unansweredDialogs;
            return std::nullopt;
        }
        auto answer = std::move(fileAnswers.front());
        fileAnswers.pop_front();
        return answer;
    }
    std::optional<std::string>
    RunFolderDialog(const zeph::forms::FolderDialogRequest& request) override {
        folderRequests.push_back(request);
        if (folderAnswers.empty()) {
            ++unansweredDialogs;
            return std::nullopt;
        }
        auto answer = std::move(folderAnswers.front());
        folderAnswers.pop_front();
        return answer;
    }
    void CursorChanged(zeph::forms::Cursor cursor) override { cursors.push_back(cursor); }
};

} // namespace services_test
