// The standard dialogs and message boxes. A window owns its dialog components; Execute asks
// the backend, which asks the person.
#pragma once

#include <zeph/forms/Backend.h>
#include <zeph/forms/Component.h>

#include <string>
#include <vector>

namespace zeph::forms {

inline constexpr unsigned ofOverwritePrompt = 1;
inline constexpr unsigned ofHideReadOnly = 2;
inline constexpr unsigned ofAllowMultiSelect = 4;
inline constexpr unsigned ofPathMustExist = 8;
inline constexpr unsigned ofFileMustExist = 16;

class ZEPH_HOST_API OpenDialog : public Component {
public:
    OpenDialog(Component* owner, std::string name);
    OpenDialog(Component& owner, std::string name) : OpenDialog(&owner, std::move(name)) {}

    std::string Title;
    std::string Filter; // "description|pattern|description|pattern", host text
    int FilterIndex = 1;
    std::string FileName;
    std::string InitialDir;
    // Appended (with a dot) to a chosen name that has no extension; given with or without
    // its dot.
    std::string DefaultExt;
    unsigned Options = ofHideReadOnly;

    // The chosen files (one unless ofAllowMultiSelect), full paths in host text.
    const std::vector<std::string>& Files() const noexcept { return files_; }

    // Shows the dialog; true when the person chose. FileName is the first file chosen.
    bool Execute();

protected:
    virtual FileDialogKind Kind() const { return FileDialogKind::Open; }

private:
    std::vector<std::string> files_;
};

class ZEPH_HOST_API SaveDialog : public OpenDialog {
public:
    using OpenDialog::OpenDialog;

protected:
    FileDialogKind Kind() const override { return FileDialogKind::Save; }
};

// The system's folder browser.
class ZEPH_HOST_API FolderDialog : public Component {
public:
    FolderDialog(Component* owner, std::string name);
    FolderDialog(Component& owner, std::string name) : FolderDialog(&owner, std::move(name)) {}

    std::string Title;
    FolderRoot Root = FolderRoot::Desktop;
    bool FileSystemOnly = true;
    std::string Directory; // initial, then the chosen folder (host text)

    bool Execute();
};

// The handle that dialogs owned by this component belong to: the nearest owning window with
// a native window, else the application's window.
ZEPH_HOST_API WindowHandle DialogOwnerHandle(const Component* owner);

// The system message box (source "MessageBox"): the button chosen.
ZEPH_HOST_API ModalResult MessageBox(WindowHandle owner, const std::string& text,
                                     const std::string& caption,
                                     MessageButtons buttons = MessageButtons::Ok,
                                     MessageKind kind = MessageKind::Plain);
// The framework's plain message (source "ShowMessage"), captioned with the application title.
ZEPH_HOST_API void ShowMessage(const std::string& text);

} // namespace zeph::forms
