#include <zeph/formdrive/ScriptedBackend.h>
#include <zeph/forms/Application.h>

namespace zeph::forms {
namespace {

const char* SourceOf(const MessageRequest& request) {
    return request.source.empty() ? "MessageBox" : request.source.c_str();
}

bool Fits(MessageButtons buttons, ModalResult answer) {
    switch (buttons) {
    case MessageButtons::Ok:
        return answer == ModalResult::Ok;
    case MessageButtons::YesNo:
        return answer == ModalResult::Yes || answer == ModalResult::No;
    case MessageButtons::OkCancel:
        return answer == ModalResult::Ok || answer == ModalResult::Cancel;
    case MessageButtons::YesNoCancel:
        return answer == ModalResult::Yes || answer == ModalResult::No ||
               answer == ModalResult::Cancel;
    }
    return false;
}

// What a person who does not answer gets: no, or cancel where there is no "no".
ModalResult Refusal(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return ModalResult::Ok;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
        return ModalResult::Cancel;
    case MessageButtons::YesNo:
    default:
        return ModalResult::No;
    }
}

} // namespace

void ScriptedBackend::AnswerFile(std::string file, int filterIndex) {
    AnswerFiles({std::move(file)}, filterIndex);
}

void ScriptedBackend::AnswerFiles(std::vector<std::string> files, int filterIndex) {
    fileAnswers_.push_back(FileDialogAnswer{std::move(files), filterIndex});
}

std::vector<std::string> ScriptedBackend::MessageTexts() const {
    std::vector<std::string> out;
    for (const auto& m : messages_) {
        out.push_back(m.text);
    }
    return out;
}

void ScriptedBackend::RecordWindow(Form& form, bool modal) {
    Shown shown;
    shown.kind = ShownKind::Window;
    shown.source = form.ClassName();
    shown.text = form.Caption;
    shown.caption = form.Caption;
    shown.owner = form.HandleAllocated() ? form.Handle() : kNoOwner;
    shown.modal = modal;
    records_.push_back(std::move(shown));
}

ModalResult ScriptedBackend::RunModal(Form& form) {
    RecordWindow(form, true);
    if (Action action = scripts_.Take(form)) {
        action(form, user_);
    }
    if (!form.PollModal()) {
        // Nobody closed the window: it closes as by its close box, with its cancel result.
        form.Close();
        if (!form.PollModal()) {
            failures_.push_back("the window " + form.ClassName() +
                                " refused to close after its script; ended with Cancel");
            form.ForceEndModal(ModalResult::Cancel);
        }
    }
    return form.modalResult;
}

void ScriptedBackend::ShowModeless(Form& form) {
    RecordWindow(form, false);
    if (Action action = scripts_.Take(form)) {
        AfterRequest after;
        action(form, user_);
    }
}

void ScriptedBackend::WhenProcessingMessages(std::size_t nth,
                                             std::function<void(User& user)> action) {
    duringWork_.emplace_back(nth, std::move(action));
}

void ScriptedBackend::ProcessMessages() {
    const std::size_t call = ++processMessagesCalls_;
    // Taken out first: an action may let events through again or queue more.
    std::vector<std::function<void(User&)>> now;
    for (auto it = duringWork_.begin(); it != duringWork_.end();) {
        if (it->first == call) {
            now.push_back(std::move(it->second));
            it = duringWork_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& action : now) {
        try {
            action(user_);
        } catch (const EUserAction& e) {
            failures_.push_back(std::string("an action while work ran failed: ") + e.what());
        }
    }
}

ModalResult ScriptedBackend::ShowMessage(const MessageRequest& request) {
    messages_.push_back(request);
    records_.push_back(Shown{ShownKind::Message, SourceOf(request), request.text, request.caption,
                             request.owner, true});
    std::string described =
        std::string(SourceOf(request)) + " \"" + zeph::text::GbkToUtf8(request.text) + "\"";
    if (request.source == "Exception") {
        failures_.push_back("an error was shown: " + described);
    }
    if (request.buttons == MessageButtons::Ok) {
        return ModalResult::Ok;
    }
    if (messageAnswers_.empty()) {
        failures_.push_back("no answer for " + described);
        return Refusal(request.buttons);
    }
    ModalResult answer = messageAnswers_.front();
    messageAnswers_.pop_front();
    if (!Fits(request.buttons, answer)) {
        failures_.push_back("the answer " + std::to_string(static_cast<int>(answer)) +
                            " fits no button of " + described);
        return Refusal(request.buttons);
    }
    return answer;
}

std::optional<FileDialogAnswer> ScriptedBackend::RunFileDialog(const FileDialogRequest& request) {
    fileDialogs_.push_back(request);
    bool save = request.kind == FileDialogKind::Save;
    records_.push_back(Shown{save ? ShownKind::SaveDialog : ShownKind::OpenDialog,
                             save ? "SaveDialog" : "OpenDialog", request.filter, request.title,
                             request.owner, true});
    if (fileAnswers_.empty()) {
        failures_.push_back(std::string("no answer for the ") + (save ? "save" : "open") +
                            " dialog " + request.name + " (" +
                            zeph::text::GbkToUtf8(request.filter) + ")");
        return std::nullopt;
    }
    std::optional<FileDialogAnswer> answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    if (answer && answer->filterIndex <= 0) {
        answer->filterIndex = request.filterIndex;
    }
    if (answer && !request.multiSelect && answer->files.size() > 1) {
        failures_.push_back("several files answer the single-choice dialog " + request.name);
        answer->files.resize(1);
    }
    return answer;
}

std::optional<std::string> ScriptedBackend::RunFolderDialog(const FolderDialogRequest& request) {
    folderDialogs_.push_back(request);
    records_.push_back(Shown{ShownKind::FolderDialog, "FolderDialog", request.title, request.title,
                             request.owner, true});
    if (folderAnswers_.empty()) {
        failures_.push_back("no answer for the folder dialog \"" +
                            zeph::text::GbkToUtf8(request.title) + "\"");
        return std::nullopt;
    }
    std::optional<std::string> answer = folderAnswers_.front();
    folderAnswers_.pop_front();
    return answer;
}

} // namespace zeph::forms
