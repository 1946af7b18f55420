// base64ToBin on arbitrary text with an arbitrary limit: it writes within the limit and within
// calculateBinLen's bound, and what it decodes encodes back to the same groups.
#include <tollund/Base64.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const unsigned limit = data[0] % 8 == 0 ? 0u : data[0];
    std::vector<char> text(data + 1, data + size);
    text.push_back('\0');
    const unsigned textLength = static_cast<unsigned>(std::strlen(text.data()));
    const size_t bound = static_cast<size_t>(Base64::calculateBinLen(textLength));
    // Guard bytes after the bound catch any write beyond it.
    std::vector<unsigned char> out(bound + 16, 0xA5);
    const int written = Base64::base64ToBin(text.data(), out.data(), limit);
    if (written < -1 || (written >= 0 && static_cast<size_t>(written) > bound) ||
        (limit != 0 && written > static_cast<int>(limit))) {
        std::abort();
    }
    for (size_t i = bound; i < out.size(); ++i) {
        if (out[i] != 0xA5) {
            std::abort();
        }
    }
    if (written > 0) {
        std::vector<char> again(
            static_cast<size_t>(Base64::calculateBase64Len(static_cast<unsigned>(written))));
        Base64::binToBase64(out.data(), again.data(), static_cast<unsigned>(written));
        if (std::strlen(again.data()) + 1 != again.size()) {
            std::abort();
        }
    }
    return 0;
}
