// Delivers arbitrary Input arrays to the dispatcher. Errors that a word may raise to the host
// are allowed; crashes, hangs and other exceptions are not.
#include "core/untZeph.h"

#include <zeph/client/Variant.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool AtEnd() const { return pos_ >= size_; }
    std::uint8_t Byte() { return AtEnd() ? 0 : data_[pos_++]; }
    std::string Text() {
        std::size_t length = Byte();
        std::string text;
        while (length-- > 0 && !AtEnd()) {
            text.push_back(static_cast<char>(Byte()));
        }
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Words worth reaching often: the known words and codes.
const char* const kWords[] = {
    "CHECK_STAFF_QUERY", "check_detail", "1005",           "1006",         "1007", "1008",
    "CHECK_REPORT",      "CHECK_RESULT", "GETROUTPACKAGE", "BASE64DECODE", "TEST", ""};

zeph::Variant Element(Reader& in, int depth) {
    switch (in.Byte() % 8) {
    case 0:
        return {};
    case 1:
        return zeph::Variant::Null();
    case 2:
        return zeph::Variant(in.Byte() % 2 == 0);
    case 3:
        return zeph::Variant(static_cast<int>(in.Byte()) - 128);
    case 4:
        return zeph::Variant(static_cast<double>(in.Byte()) / 7.0);
    case 5:
        if (depth < 2) {
            std::vector<zeph::Variant> nested;
            for (int n = in.Byte() % 4; n > 0; --n) {
                nested.push_back(Element(in, depth + 1));
            }
            return zeph::Variant::ArrayOf(std::move(nested));
        }
        return {};
    case 6:
        return zeph::Variant(kWords[in.Byte() % (sizeof kWords / sizeof kWords[0])]);
    default:
        return zeph::Variant(in.Text());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static morvane::TInterFacefrmMain* window = new morvane::TInterFacefrmMain(nullptr);
    Reader in(data, size);
    zeph::Variant input;
    switch (in.Byte() % 4) {
    case 0:
        input = Element(in, 0); // often not an array at all
        break;
    default: {
        std::vector<zeph::Variant> elements;
        while (!in.AtEnd() && elements.size() < 16) {
            elements.push_back(Element(in, 0));
        }
        input = zeph::Variant::ArrayOf(std::move(elements));
        break;
    }
    }
    zeph::Variant output;
    try {
        window->ZephClientCalled(&window->ZephClient, 0, input, output);
    } catch (const zeph::EVariantError&) {
        // Input of a shape the words cannot read: the error reaches the host.
    } catch (const zeph::EZephClientError&) {
        // A word needed the host's services, which this harness does not install.
    }
    return 0;
}
