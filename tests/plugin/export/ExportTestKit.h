// Shared pieces of the export tests: packets built from rows, the independent readers, and the
// plug-in's main window driven as a host drives it.
#pragma once

#include "support/FakeHostServices.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/client/Delivery.h>
#include <zeph/client/Variant.h>
#include <zeph/dataset/DataPacket.h>
#include <zeph/formdrive/ScriptedBackend.h>
#include <zeph/forms/Application.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" std::uint32_t ShowMorvane(std::uint32_t applicationHandle);

namespace export_test {

struct Field {
    std::string name;
    std::string type = "string";
    zeph::dataset::TAttributes extra = {};
};

// A packet of host text with these fields and rows (values in host text).
std::string Packet(const std::vector<Field>& fields,
                   const std::vector<std::vector<std::string>>& rows);

// What the reader makes of the file, as JSON (UTF-8); kind "xls" (xlrd) or "xlsx" (openpyxl).
std::string ReadWithPython(const std::string& kind, const std::string& hostPath);

std::string ReadBytes(const std::string& hostPath);
void WriteBytes(const std::string& hostPath, const std::string& bytes);
bool Exists(const std::string& hostPath);

// The hint window's state each time it was drawn: label text, bar visible, position, maximum.
struct HintState {
    std::string text;
    bool barVisible = false;
    int position = 0;
    int maximum = 0;
    int labelLeft = 0;
    int labelTop = 0;
};

class RecordingBackend : public zeph::forms::ScriptedBackend {
public:
    void ShowModeless(zeph::forms::Form& form) override;
    void WindowChanged(zeph::forms::Form& form) override;
    std::vector<HintState> hints;
    int statusPosition = -1; // the workbook export's progress window, as last drawn
};

// ShowMorvane, then requests by handle, with the test's backend and host services.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    zeph::Variant Call(std::vector<zeph::Variant> input) {
        return zeph::DeliverRequest(handle, zeph::Variant::ArrayOf(std::move(input)));
    }
    // Closes the main window and shows a new one.
    void ReopenMainWindow();
    // A fresh person at the screen, once the last one has been checked.
    void NewBackend();
    void CheckBackend();
    std::vector<std::string> MessagesUtf8() const;

    std::shared_ptr<RecordingBackend> backend;
    std::shared_ptr<zeph::testing::FakeHostServices> services;
    std::shared_ptr<zeph::HostServices> previousServices;
    std::uint32_t handle = 0;
    zeph::testing::TempDir temp;
    std::string dir; // host text
};

} // namespace export_test
