// How a host reaches a plug-in window: by the handle its entry point returned.
#pragma once

#include <zeph/client/Variant.h>
#include <zeph/forms/Types.h>

#include <stdexcept>

namespace zeph {

class ZEPH_HOST_API EDeliveryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raises OnCalled on the ZephClient of the window with this handle and returns Output. Errors
// that leave the handler reach the caller unchanged; windows released meanwhile are freed
// before this returns. EDeliveryError when no window has the handle or it has no ZephClient, or
// while another request is running (requests are not nested nor queued).
ZEPH_HOST_API Variant DeliverRequest(forms::WindowHandle handle, const Variant& input);

// Same, leaving Output where the caller can see what had been stored when an error left.
ZEPH_HOST_API void DeliverRequest(forms::WindowHandle handle, const Variant& input,
                                  Variant& output);

// Closes the window with this handle as the host does; false when there is none.
ZEPH_HOST_API bool CloseWindow(forms::WindowHandle handle);

} // namespace zeph
