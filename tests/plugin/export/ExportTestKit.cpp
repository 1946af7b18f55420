#include "ExportTestKit.h"

#include "export/untHint.h"
#if MORVANE_EDITION_FULL
#include "export/untExportStatus.h"
#endif

#include <zeph/platform/Paths.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace export_test {

std::string Packet(const std::vector<Field>& fields,
                   const std::vector<std::vector<std::string>>& rows) {
    zeph::dataset::TRecordTable table;
    for (const Field& field : fields) {
        table.AddField({field.name, field.type, 0, field.extra});
    }
    for (const auto& row : rows) {
        std::vector<std::string_view> values(row.begin(), row.end());
        table.AppendRow(values);
    }
    return zeph::dataset::WriteDataPacket(table);
}

std::string ReadWithPython(const std::string& kind, const std::string& hostPath) {
    zeph::testing::ProcessResult r = zeph::testing::Run(
        {"/usr/bin/python3", std::string(ZEPH_SOURCE_DIR) + "/tests/plugin/export/read_export.py",
         kind, zeph::text::GbkToUtf8(hostPath)});
    EXPECT_EQ(r.status, 0) << r.err;
    while (!r.out.empty() && r.out.back() == '\n') {
        r.out.pop_back();
    }
    return r.out;
}

std::string ReadBytes(const std::string& hostPath) {
    std::ifstream in(zeph::testing::Utf8Path(zeph::text::GbkToUtf8(hostPath)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& hostPath, const std::string& bytes) {
    std::ofstream(zeph::testing::Utf8Path(zeph::text::GbkToUtf8(hostPath)), std::ios::binary)
        << bytes;
}

bool Exists(const std::string& hostPath) {
    return std::filesystem::exists(zeph::testing::Utf8Path(zeph::text::GbkToUtf8(hostPath)));
}

void RecordingBackend::ShowModeless(zeph::forms::Form& form) {
    ScriptedBackend::ShowModeless(form);
    WindowChanged(form);
}

void RecordingBackend::WindowChanged(zeph::forms::Form& form) {
    if (!form.Visible) {
        return;
    }
    if (auto* hint = dynamic_cast<morvane::exporting::TfrmHint*>(&form)) {
        hints.push_back({hint->laHint.Caption(), hint->pbShow.Visible, hint->pbShow.Position(),
                         hint->pbShow.Max(), hint->laHint.Left, hint->laHint.Top});
    }
#if MORVANE_EDITION_FULL
    if (auto* status = dynamic_cast<morvane::exporting::TfrmExportStatus*>(&form)) {
        statusPosition = status->pbStatus.Position();
    }
#endif
}

void MainWindowTest::SetUp() {
    NewBackend();
    services = std::make_shared<zeph::testing::FakeHostServices>();
    previousServices = zeph::InstallHostServices(services);
    handle = ShowMorvane(7);
    ASSERT_NE(handle, 0u);
    dir = zeph::text::Utf8ToGbk(temp.Path());
    zeph::platform::SetProgramDirectory(dir);
}

void MainWindowTest::TearDown() {
    CheckBackend();
    // The next test starts with a new main window and so with nothing cached.
    zeph::CloseWindow(handle);
    zeph::platform::SetProgramDirectory("");
    zeph::InstallHostServices(previousServices);
    zeph::forms::Application()->SetBackend(nullptr);
}

void MainWindowTest::ReopenMainWindow() {
    ASSERT_TRUE(zeph::CloseWindow(handle));
    handle = ShowMorvane(7);
    ASSERT_NE(handle, 0u);
}

void MainWindowTest::NewBackend() {
    if (backend) {
        CheckBackend();
    }
    backend = std::make_shared<RecordingBackend>();
    zeph::forms::Application()->SetBackend(backend);
}

void MainWindowTest::CheckBackend() {
    for (const std::string& failure : backend->Failures()) {
        ADD_FAILURE() << failure;
    }
    EXPECT_EQ(backend->UnusedAnswers(), 0u);
}

std::vector<std::string> MainWindowTest::MessagesUtf8() const {
    std::vector<std::string> texts;
    for (const std::string& text : backend->MessageTexts()) {
        texts.push_back(zeph::text::GbkToUtf8(text));
    }
    return texts;
}

} // namespace export_test
