// The export words where Windows differs.
#include "ExportTestKit.h"
#include "ExportWordsFixture.h"
#include "support/ScopedEnv.h"

#include <zeph/platform/Paths.h>

#include <filesystem>

namespace export_test {
namespace {

// The spreadsheet library keeps the rows in a file the C runtime's tmpfile makes, which
// follows TMP through the ANSI code page here: a TMP named in Chinese leaves it none. The word
// fails as a save does, and the desk goes on (the library's own close read the sheet it could
// not make).
TEST_F(ExportWordsTest, WorkbookWithoutRowFilesFailsAsASave) {
    const std::string rows = zeph::text::GbkToUtf8(dir + "/临时"_host);
    std::filesystem::create_directories(zeph::platform::PathFromUtf8(rows));
    zeph::testing::ScopedEnv tmp("TMP", rows);
    const std::string path = dir + "/book.xls";
    ConfirmPicker();
    backend->AnswerFile(path);
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{FailedText(path)});
    EXPECT_FALSE(Exists(path));
}

} // namespace
} // namespace export_test
