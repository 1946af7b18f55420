#include "support/RecordingBackend.h"

#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>
#include <zeph/text/HostText.h>

namespace zeph::testing {

forms::ModalResult RecordingBackend::RunModal(forms::Form& form) {
    form.Close();
    return forms::ModalResult::Cancel;
}

forms::ModalResult RecordingBackend::ShowMessage(const forms::MessageRequest& request) {
    shown.push_back({request.source, zeph::text::GbkToUtf8(request.text), request.owner});
    if (request.buttons == forms::MessageButtons::Ok) {
        return forms::ModalResult::Ok;
    }
    bool yes = false;
    if (!answers.empty()) {
        yes = answers.front();
        answers.pop_front();
    }
    return yes ? forms::ModalResult::Yes : forms::ModalResult::No;
}

ScopedRecordingBackend::ScopedRecordingBackend() : backend_(std::make_shared<RecordingBackend>()) {
    forms::Application()->SetBackend(backend_);
}

ScopedRecordingBackend::~ScopedRecordingBackend() {
    forms::Application()->SetBackend(nullptr);
}

} // namespace zeph::testing
