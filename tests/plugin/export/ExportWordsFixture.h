// The export words' tests through the full edition's main window: the fixture and the texts the
// words show.
#pragma once

#include "ExportTestKit.h"
#include "export/untSelectCol.h"

#include <zeph/formdrive/User.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace export_test {

inline const std::string kPacket =
    Packet({{"X"}, {"Y"}, {"Z"}}, {{"1", "中文"_host, "a,b"}, {"2", "", "c"}});

inline std::string SavedText(const std::string& path) {
    return "保存文件【" + zeph::text::GbkToUtf8(path) + "】成功!";
}
inline std::string FailedText(const std::string& path) {
    return "保存文件【" + zeph::text::GbkToUtf8(path) + "】失败，\r\n请确认文件是否正在使用！";
}

class ExportWordsTest : public MainWindowTest {
protected:
    // Every column kept.
    void ConfirmPicker() {
        backend->When<morvane::exporting::TfrmSelectCol>(
            [](morvane::exporting::TfrmSelectCol& f, zeph::forms::User& user) {
                user.Click(f.bbtnSave);
            });
    }
    void SaveToFile(const std::string& path, const std::string& titles, const std::string& fields,
                    const std::string& packet = kPacket) {
        backend->AnswerFile(path);
        Call({"save_dataset_to_file", "", titles, fields, packet});
    }
    std::size_t FilesIn() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(temp.Path())) {
            ++n;
        }
        return n;
    }
};

} // namespace export_test
