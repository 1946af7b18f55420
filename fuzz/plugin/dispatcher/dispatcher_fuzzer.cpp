// Delivers arbitrary Input arrays to the dispatcher, with host services that answer and a person
// who cancels every dialog and window. The errors a word documents as reaching the host are
// allowed (an input of a shape it cannot read, an integer argument that is not one); crashes,
// hangs and other exceptions are not.
#include "core/IntegerArgument.h"
#include "core/untZeph.h"
#include "editions/Editions.h"
#include "support/FakeHostServices.h"

#include <zeph/client/Variant.h>
#include <zeph/dataset/DataPacket.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Backend.h>
#include <zeph/forms/Form.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
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
const char* const kWords[] = {"CHECK_STAFF_QUERY",
                              "check_detail",
                              "1005",
                              "1006",
                              "1007",
                              "1008",
                              "CHECK_REPORT",
                              "CHECK_RESULT",
                              "GETROUTPACKAGE",
                              "BASE64DECODE",
                              "TEST",
                              "",
                              "CRTABFORUPDATEIP",
                              "CHECK_PERSON",
                              "SKILL_REPORT",
                              "GETMONITOR",
                              "LOADFROMFILE",
                              "ADDAFFIX",
                              "SAVEASFILE",
                              "FTP_DOWNLOADFILE"};

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

// Says no to every question and cancels every dialog and window, keeping no record: a fuzzing run
// shows millions of them.
class CancellingBackend : public zeph::forms::Backend {
public:
    zeph::forms::ModalResult RunModal(zeph::forms::Form&) override {
        return zeph::forms::ModalResult::Cancel;
    }
    void ShowModeless(zeph::forms::Form&) override {}
    zeph::forms::ModalResult ShowMessage(const zeph::forms::MessageRequest& request) override {
        return request.buttons == zeph::forms::MessageButtons::Ok ? zeph::forms::ModalResult::Ok
                                                                  : zeph::forms::ModalResult::No;
    }
    std::optional<zeph::forms::FileDialogAnswer>
    RunFileDialog(const zeph::forms::FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> RunFolderDialog(const zeph::forms::FolderDialogRequest&) override {
        return std::nullopt;
    }
};

morvane::TInterFacefrmMain& Window() {
    static morvane::TInterFacefrmMain* window = [] {
        auto services = std::make_shared<zeph::testing::FakeHostServices>();
        services->recordCalls = false;
        // A document opened with its program starts one; here that program does nothing.
        setenv("ZEPH_OPENER", "/bin/true", 1);
        zeph::InstallHostServices(services);
        zeph::forms::Application()->SetBackend(std::make_shared<CancellingBackend>());
        return new morvane::TInterFacefrmMain(nullptr, morvane::BuiltEdition());
    }();
    return *window;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvane::TInterFacefrmMain& window = Window();
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
        window.ZephClientCalled(&window.ZephClient, 0, input, output);
    } catch (const zeph::EVariantError&) {
        // Input of a shape the words cannot read: the error reaches the host.
    } catch (const morvane::EConvertError&) {
        // A page size, page number or column count that is not an integer.
    } catch (const zeph::dataset::EDataSetError&) {
        // A lookup in a dataset the host answered without the field: the error reaches the host.
    }
    zeph::forms::Application()->ProcessReleases();
    return 0;
}
