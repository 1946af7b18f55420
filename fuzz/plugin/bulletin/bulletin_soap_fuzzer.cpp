// What the bulletin-and-note server sends back: any bytes as an answer and as a service
// description. Neither may crash, hang or read anything but the bytes; an answer that is not a
// readable return value gives nothing.
#include "bulletin/SoapEnvelope.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static_cast<void>(morvane::bulletin::ReadReturnValue(bytes));
    static_cast<void>(morvane::bulletin::FindEndpoint(bytes, "NoteSendWSService", "NoteSendWS"));
    return 0;
}
