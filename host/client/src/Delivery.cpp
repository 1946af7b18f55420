#include <zeph/client/Delivery.h>
#include <zeph/client/TZephClient.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>

namespace zeph {
namespace {

// Frees released windows however the request ends.
struct ReleaseAfterRequest {
    ~ReleaseAfterRequest() { forms::Application()->ProcessReleases(); }
};

// Marks the request as running until it ends, however it ends.
struct RunningRequest {
    RunningRequest() {
        if (!forms::Application()->BeginRequest()) {
            // A window let events through while a word ran and a person asked for another:
            // running it inside the first, or after it, would answer a request nobody waits for.
            throw EDeliveryError("A request is running; a request cannot be delivered until it "
                                 "returns");
        }
    }
    ~RunningRequest() { forms::Application()->EndRequest(); }
    RunningRequest(const RunningRequest&) = delete;
    RunningRequest& operator=(const RunningRequest&) = delete;
};

} // namespace

void DeliverRequest(forms::WindowHandle handle, const Variant& input, Variant& output) {
    forms::Form* form = forms::Form::FromHandle(handle);
    if (form == nullptr) {
        throw EDeliveryError("No window has the handle " + std::to_string(handle));
    }
    auto* client = form->FindComponentOf<TZephClient>();
    if (client == nullptr) {
        throw EDeliveryError("The window " + std::to_string(handle) + " has no client component");
    }
    RunningRequest running;
    ReleaseAfterRequest releases;
    client->Call(input, output);
}

Variant DeliverRequest(forms::WindowHandle handle, const Variant& input) {
    Variant output;
    DeliverRequest(handle, input, output);
    return output;
}

bool CloseWindow(forms::WindowHandle handle) {
    forms::Form* form = forms::Form::FromHandle(handle);
    if (form == nullptr) {
        return false;
    }
    ReleaseAfterRequest releases;
    form->Close();
    return true;
}

} // namespace zeph
