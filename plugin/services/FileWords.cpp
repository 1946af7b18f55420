// The file words: loading a text file, choosing attachments, and fetching a file of the host's
// FTP server to keep it in a folder, open it or save a copy.
#include "services/TextFileLoad.h"
#include "core/untZeph.h"
#include "services/ServiceWords.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Dialogs.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/OpenWith.h>
#include <zeph/platform/Files.h>
#include <zeph/platform/Paths.h>
#include <zeph/platform/ShellOpen.h>
#include <zeph/text/HostText.h>

#include <cstdint>
#include <optional>
#include <string>

namespace morvane::services {
namespace {

namespace forms = zeph::forms;
namespace platform = zeph::platform;

constexpr std::int64_t kBytesPerMB = 1024 * 1024;

// The text as an integer, or fallback when it is not one.
int IntegerOr(const std::string& text, int fallback) {
    return zeph::IfNumber(text) ? static_cast<int>(zeph::Variant(text).AsInteger()) : fallback;
}

// The folder as the browser hands it back: no trailing separator except for the root.
std::string WithoutTrailingDelimiter(std::string folder) {
    while (folder.size() > 1 && folder.back() == platform::kPathDelimiter) {
        folder.pop_back();
    }
    return folder;
}

// Opens with the associated program; when there is none the person chooses one.
void OpenPath(const std::string& path) {
    if (!platform::ShellOpen(path)) {
        zeph::forms::OpenWithChooser(path);
    }
}

struct ServerFileArguments {
    std::string fileName;
    std::string localDir;
    std::string remoteDir;
    bool download = true;
};

ServerFileArguments ReadServerFileArguments(const zeph::Variant& Input) {
    ServerFileArguments args;
    args.fileName = GetInputItem(Input, 1);
    args.localDir = GetInputItem(Input, 2);
    args.remoteDir = GetInputItem(Input, 3);
    args.download = zeph::text::UpperCase(GetInputItem(Input, 4)) != "FALSE";
    return args;
}

bool OpenServerFile(TInterFacefrmMain& main, ServerFileArguments args) {
    forms::HourGlass hourGlass;
    if (zeph::text::Trim(args.fileName).empty()) {
        return false;
    }
    if (!args.download && !args.localDir.empty()) {
        OpenPath(args.localDir + args.fileName);
        return true;
    }
    if (zeph::text::Trim(args.remoteDir).empty()) {
        args.remoteDir = "/";
    }
    std::optional<std::string> temp = platform::TempDirectory();
    if (!temp) {
        zeph::InfoDlg("获取系统临时目录失败"_host, main.OwnerHandle());
        return false;
    }
    if (!main.ZephClient.FTPDownLoad(args.remoteDir, *temp, args.fileName)) {
        zeph::InfoDlg("从服务器读取文件失败"_host, main.OwnerHandle());
        return false;
    }
    OpenPath(*temp + args.fileName);
    return true;
}

bool SaveServerFileAs(TInterFacefrmMain& main, ServerFileArguments args) {
    forms::HourGlass hourGlass;
    if (zeph::text::Trim(args.fileName).empty()) {
        return false;
    }
    const bool download = args.download || args.localDir.empty();
    forms::SaveDialog dialog(nullptr, {});
    dialog.Filter = "任意文件 (*.*)|*.*"_host;
    dialog.FileName = args.fileName;
    if (!dialog.Execute()) {
        return false;
    }
    if (download) {
        if (zeph::text::Trim(args.remoteDir).empty()) {
            args.remoteDir = "/";
        }
        if (!main.ZephClient.FTPDownLoad(args.remoteDir, args.localDir, args.fileName)) {
            zeph::InfoDlg("从服务器读取文件失败"_host, forms::kNoOwner);
            return false;
        }
    }
    // An existing file of the chosen name is kept as it is, without a word. Any other failure
    // would lose the save unnoticed, so it is said.
    platform::CopyResult copied =
        platform::CopyFileNoOverwrite(args.localDir + args.fileName, dialog.FileName);
    if (copied == platform::CopyResult::Failed) {
        zeph::ErrorDlg("保存文件失败"_host, forms::kNoOwner);
        return false;
    }
    return true;
}

} // namespace

void FtpDownloadFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    const std::string remoteDir = GetInputItem(Input, 1);
    const std::string fileName = GetInputItem(Input, 2);
    forms::FolderDialog browser(&main, {});
    browser.Title = "下载到..."_host;
    browser.Root = forms::FolderRoot::Drives;
    browser.FileSystemOnly = true;
    if (!browser.Execute()) {
        return;
    }
    if (main.ZephClient.FTPDownLoad(remoteDir, WithoutTrailingDelimiter(browser.Directory), fileName)) {
        zeph::InfoDlg("保存文件成功"_host, main.OwnerHandle());
    } else {
        zeph::ErrorDlg("保存文件失败"_host, main.OwnerHandle());
    }
}

void LoadFromFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    const int limit = IntegerOr(GetInputItem(Input, 2), -1);
    Output = zeph::Variant::Array(0, 1);
    Output[0] = std::string();
    forms::OpenDialog dialog(&main, "OpenDialogTxtFile");
    forms::Memo memo(&main, {}); // placed on the hidden main window, so never seen
    dialog.Filter = GetInputItem(Input, 1);
    if (!dialog.Execute()) {
        return;
    }
    std::optional<std::string> bytes = LoadTextFile(dialog.FileName);
    if (!bytes) {
        zeph::InfoDlg("读取文件失败。"_host, main.OwnerHandle());
        return;
    }
    memo.SetText(JoinedLines(*bytes));
    const std::string& text = memo.Text();
    Output[0] = text;
    // The limit counts bytes but never cuts a double-byte character in half.
    Output[1] = limit > 0 ? LeadingBytes(text, static_cast<std::size_t>(limit)) : std::string();
}

void AddAffix(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    const std::string passOn = main.ZephClient.GetSysParam("ZEPHSC", "73");
    const std::int64_t maxMB = IntegerOr(main.ZephClient.GetSysParam("IWFLOW", "20"), 2);
    Output = zeph::Variant::Array(0, 2);
    Output[0] = passOn;

    forms::OpenDialog dialog(nullptr, {});
    dialog.Filter = GetInputItem(Input, 1);
    dialog.Options |= forms::ofAllowMultiSelect;
    if (!dialog.Execute()) {
        return;
    }
    const int count = static_cast<int>(dialog.Files().size());
    zeph::Variant names = zeph::Variant::Array(0, count - 1);
    zeph::Variant folders = zeph::Variant::Array(0, count - 1);
    for (int i = 0; i < count; ++i) {
        const std::string& path = dialog.Files()[static_cast<std::size_t>(i)];
        const std::int64_t size = platform::FileSize(path);
        std::string refusal;
        if (size < 0) {
            // Nothing to attach: the file is gone or cannot be read.
            refusal =
                "文件"_host + path + "不存在或无法读取,"_host + "不能被添加为附件，请检查"_host;
        } else if (size > maxMB * kBytesPerMB) {
            refusal = "文件"_host + path + "大小超过"_host + std::to_string(maxMB) + "M," +
                      "不能被添加为附件，请检查"_host;
        }
        if (!refusal.empty()) {
            forms::MessageBox(main.OwnerHandle(), refusal, "Zeph", forms::MessageButtons::Ok);
            continue;
        }
        names[i] = platform::ExtractFileName(path);
        folders[i] = platform::ExtractFilePath(path);
    }
    Output[1] = names;
    Output[2] = folders;
}

void OpenFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    OpenServerFile(main, ReadServerFileArguments(Input));
}

void SaveAsFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    SaveServerFileAs(main, ReadServerFileArguments(Input));
}

} // namespace morvane::services
