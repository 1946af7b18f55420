#include <zeph/forms/Application.h>
#include <zeph/forms/Dialogs.h>
#include <zeph/forms/Form.h>

namespace zeph::forms {
namespace {

// "name" has an extension when a dot follows its last path separator.
bool HasExtension(std::string_view path) {
    std::size_t slash = path.find_last_of('/');
    // A backslash may be a GBK trail byte: only a real separator counts.
    std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    for (std::size_t i = start; i < path.size(); i += zeph::text::CharLength(path, i)) {
        if (path[i] == '\\') {
            start = i + 1;
        }
    }
    std::size_t dot = path.find('.', start);
    return dot != std::string_view::npos && dot + 1 < path.size();
}

} // namespace

WindowHandle DialogOwnerHandle(const Component* owner) {
    for (const Component* c = owner; c != nullptr; c = c->Owner()) {
        if (auto* form = dynamic_cast<const Form*>(c); form != nullptr && form->HandleAllocated()) {
            return const_cast<Form*>(form)->Handle();
        }
    }
    WindowHandle application = Application()->Handle();
    return application == 0 ? kNoOwner : application;
}

OpenDialog::OpenDialog(Component* owner, std::string name) : Component(owner, std::move(name)) {}

bool OpenDialog::Execute() {
    FileDialogRequest request;
    request.kind = Kind();
    request.name = Name();
    request.title = Title;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.defaultExt = DefaultExt;
    request.fileName = FileName;
    request.initialDir = InitialDir;
    request.multiSelect = (Options & ofAllowMultiSelect) != 0;
    request.owner = DialogOwnerHandle(Owner());
    std::optional<FileDialogAnswer> answer = Application()->GetBackend().RunFileDialog(request);
    if (!answer || answer->files.empty()) {
        return false;
    }
    std::string extension = DefaultExt;
    if (!extension.empty() && extension.front() == '.') {
        extension.erase(0, 1);
    }
    files_.clear();
    for (std::string file : answer->files) {
        if (!extension.empty() && !HasExtension(file)) {
            file += "." + extension;
        }
        files_.push_back(std::move(file));
        if (!request.multiSelect) {
            break;
        }
    }
    FileName = files_.front();
    if (answer->filterIndex > 0) {
        FilterIndex = answer->filterIndex;
    }
    return true;
}

FolderDialog::FolderDialog(Component* owner, std::string name)
    : Component(owner, std::move(name)) {}

bool FolderDialog::Execute() {
    FolderDialogRequest request;
    request.title = Title;
    request.owner = DialogOwnerHandle(Owner());
    request.root = Root;
    request.fileSystemOnly = FileSystemOnly;
    request.initialDir = Directory;
    std::optional<std::string> answer = Application()->GetBackend().RunFolderDialog(request);
    if (!answer || answer->empty()) {
        return false;
    }
    Directory = *answer;
    return true;
}

ModalResult MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                       MessageButtons buttons, MessageKind kind) {
    MessageRequest request;
    request.kind = kind;
    request.text = text;
    request.caption = caption;
    request.buttons = buttons;
    request.owner = owner;
    request.source = "MessageBox";
    return Application()->GetBackend().ShowMessage(request);
}

void ShowMessage(const std::string& text) {
    MessageRequest request;
    request.kind = MessageKind::Plain;
    request.text = text;
    request.caption = Application()->Title;
    request.buttons = MessageButtons::Ok;
    request.owner = DialogOwnerHandle(nullptr);
    request.source = "ShowMessage";
    Application()->GetBackend().ShowMessage(request);
}

} // namespace zeph::forms
