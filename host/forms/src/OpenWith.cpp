#include <zeph/forms/Dialogs.h>
#include <zeph/forms/OpenWith.h>
#include <zeph/platform/ShellOpen.h>

namespace zeph::forms {

bool OpenWithChooser(const std::string& path) {
    OpenDialog dialog(nullptr, "OpenAsDialog");
    dialog.Title = "打开方式"_host;
    dialog.Filter = "程序|*"_host;
    dialog.InitialDir = "/usr/bin";
    if (!dialog.Execute() || dialog.FileName.empty()) {
        return false;
    }
    return platform::StartProgram(dialog.FileName, path);
}

} // namespace zeph::forms
