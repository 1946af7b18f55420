#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>

#include <algorithm>

namespace zeph::forms {
namespace {

// Without a backend nobody can answer: dialogs are cancelled, questions answered no and modal
// windows closed with their cancel result.
class UnattendedBackend final : public Backend {
public:
    ModalResult RunModal(Form& form) override {
        form.Close();
        form.PollModal();
        return form.modalResult;
    }
    void ShowModeless(Form&) override {}
    ModalResult ShowMessage(const MessageRequest& request) override {
        return request.buttons == MessageButtons::Ok ? ModalResult::Ok : ModalResult::No;
    }
    std::optional<FileDialogAnswer> RunFileDialog(const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> RunFolderDialog(const FolderDialogRequest&) override {
        return std::nullopt;
    }
};

// Never destroyed: a plug-in still loaded at exit frees its windows after the process's static
// objects are gone, and those windows still reach the application.
TApplication*& CurrentApplication() {
    static TApplication* processApplication = new TApplication;
    static TApplication* current = processApplication;
    return current;
}

} // namespace

TApplication::TApplication() = default;
TApplication::~TApplication() = default;

Backend& TApplication::GetBackend() {
    if (!backend_) {
        backend_ = std::make_shared<UnattendedBackend>();
    }
    return *backend_;
}

void TApplication::SetBackend(std::shared_ptr<Backend> backend) {
    backend_ = std::move(backend);
}

void TApplication::SetCursor(Cursor cursor) {
    if (cursor_ != cursor) {
        cursor_ = cursor;
        GetBackend().CursorChanged(cursor);
    }
}

void TApplication::ProcessMessages() {
    GetBackend().ProcessMessages();
}

bool TApplication::BeginRequest() {
    if (requestRunning_) {
        return false;
    }
    requestRunning_ = true;
    GetBackend().RequestStarted();
    return true;
}

void TApplication::EndRequest() {
    if (requestRunning_) {
        requestRunning_ = false;
        GetBackend().RequestEnded();
    }
}

void TApplication::QueueRelease(Form* form) {
    if (std::find(releases_.begin(), releases_.end(), form) == releases_.end()) {
        releases_.push_back(form);
    }
}

void TApplication::CancelRelease(Form* form) noexcept {
    releases_.erase(std::remove(releases_.begin(), releases_.end(), form), releases_.end());
}

void TApplication::ProcessReleases() {
    // A window still inside ShowModal is freed after ShowModal has returned, as the host
    // framework frees it from the next message.
    std::vector<Form*> waiting;
    while (!releases_.empty()) {
        Form* form = releases_.front();
        releases_.erase(releases_.begin());
        if (form->IsModal()) {
            waiting.push_back(form);
            continue;
        }
        Component* owner = form->Owner();
        if (owner == nullptr || !owner->FreeOwned(form)) {
            delete form;
        }
    }
    for (Form* form : waiting) {
        QueueRelease(form);
    }
}

void TApplication::ShowException(const std::string& text) {
    MessageRequest request;
    request.kind = MessageKind::Error;
    request.text = text;
    request.caption = Title;
    request.buttons = MessageButtons::Ok;
    request.owner = handle_ == 0 ? kNoOwner : handle_;
    request.source = "Exception";
    GetBackend().ShowMessage(request);
}

TApplication* Application() {
    return CurrentApplication();
}

TApplication* SetApplication(TApplication* application) {
    TApplication* previous = CurrentApplication();
    CurrentApplication() = application;
    return previous;
}

AfterRequest::AfterRequest() : wasRunning_(Application()->requestRunning_) {
    Application()->requestRunning_ = false;
}

AfterRequest::~AfterRequest() {
    Application()->requestRunning_ = wasRunning_;
}

HourGlass::HourGlass() : previous_(Application()->GetCursor()) {
    Application()->SetCursor(Cursor::HourGlass);
}

HourGlass::~HourGlass() {
    Application()->SetCursor(previous_);
}

} // namespace zeph::forms
