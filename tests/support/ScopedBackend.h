// Installs a fresh scripted backend in the current application for a test's scope.
#pragma once

#include <zeph/formdrive/ScriptedBackend.h>
#include <zeph/forms/Application.h>
#include <zeph/text/HostText.h>

#include <memory>
#include <string>
#include <vector>

namespace zeph::testing {

class ScopedBackend {
public:
    ScopedBackend() : backend_(std::make_shared<forms::ScriptedBackend>()) {
        forms::Application()->SetBackend(backend_);
    }
    ~ScopedBackend() { forms::Application()->SetBackend(nullptr); }
    ScopedBackend(const ScopedBackend&) = delete;
    ScopedBackend& operator=(const ScopedBackend&) = delete;

    forms::ScriptedBackend& operator*() { return *backend_; }
    forms::ScriptedBackend* operator->() { return backend_.get(); }

    // The texts of the message boxes shown so far, in UTF-8.
    std::vector<std::string> MessageTextsUtf8() const {
        std::vector<std::string> texts;
        for (const auto& text : backend_->MessageTexts()) {
            texts.push_back(zeph::text::GbkToUtf8(text));
        }
        return texts;
    }

private:
    std::shared_ptr<forms::ScriptedBackend> backend_;
};

} // namespace zeph::testing
