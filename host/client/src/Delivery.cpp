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
