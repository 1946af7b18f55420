#include <zeph/emulator/ConsoleDialogs.h>
#include <zeph/forms/Form.h>
#include <zeph/text/HostText.h>

#include <filesystem>

namespace zeph::emulator {
namespace {

std::string Lower(std::string text) {
    return text::LowerCase(text);
}

bool IsYes(const std::string& answer) {
    std::string a = Lower(text::Trim(answer));
    return a == "yes" || a == "y" || a == "true" || a == "ok" || a == "1";
}

bool IsNo(const std::string& answer) {
    std::string a = Lower(text::Trim(answer));
    return a == "no" || a == "n" || a == "false" || a == "0";
}

bool IsCancel(const std::string& answer) {
    return Lower(text::Trim(answer)) == "cancel";
}

std::string HostPath(const std::string& utf8) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(utf8, ec);
    return text::Utf8ToGbk(ec ? utf8 : path.lexically_normal().string());
}

} // namespace

std::string OneLine(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

ConsoleDialogs::ConsoleDialogs(std::ostream& lines, std::istream* terminal)
    : lines_(lines), terminal_(terminal) {}

void ConsoleDialogs::AddAnswers(const std::deque<std::string>& answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

void ConsoleDialogs::Line(const std::string& kind, const std::string& hostText) {
    lines_ << kind << ": " << OneLine(text::GbkToUtf8(hostText)) << '\n' << std::flush;
}

std::optional<std::string> ConsoleDialogs::NextAnswer(const std::string& prompt) {
    if (!answers_.empty()) {
        std::string answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    if (terminal_ == nullptr) {
        return std::nullopt;
    }
    lines_ << "  " << prompt << " " << std::flush;
    std::string answer;
    if (!std::getline(*terminal_, answer)) {
        return std::nullopt;
    }
    return answer;
}

std::optional<std::string> ConsoleDialogs::PathAnswer(const std::string& prompt) {
    auto answer = NextAnswer(prompt);
    if (!answer || IsCancel(*answer) || text::Trim(*answer).empty()) {
        return std::nullopt;
    }
    return answer;
}

forms::ModalResult ConsoleDialogs::RunModal(forms::Form& form) {
    Line("Window", form.Caption.empty() ? form.Name() : form.Caption);
    form.Close();
    return form.modalResult == forms::ModalResult::None ? forms::ModalResult::Cancel
                                                        : form.modalResult;
}

void ConsoleDialogs::ShowModeless(forms::Form& form) {
    Line("Window", form.Caption.empty() ? form.Name() : form.Caption);
}

forms::ModalResult ConsoleDialogs::ShowMessage(const forms::MessageRequest& request) {
    Line(request.source.empty() ? "MessageBox" : request.source, request.text);
    using forms::MessageButtons;
    using forms::ModalResult;
    if (request.buttons == MessageButtons::Ok) {
        return ModalResult::Ok;
    }
    bool okCancel = request.buttons == MessageButtons::OkCancel;
    auto answer = NextAnswer(okCancel ? "[ok/cancel]" : "[yes/no]");
    if (!answer) {
        return okCancel ? ModalResult::Cancel : ModalResult::No;
    }
    if (IsYes(*answer)) {
        return okCancel ? ModalResult::Ok : ModalResult::Yes;
    }
    if (IsCancel(*answer) && request.buttons != MessageButtons::YesNo) {
        return ModalResult::Cancel;
    }
    if (IsNo(*answer) || IsCancel(*answer)) {
        return okCancel ? ModalResult::Cancel : ModalResult::No;
    }
    throw EAnswerError("the answer '" + *answer + "' does not answer the question " +
                       text::GbkToUtf8(request.text) + " (yes or no)");
}

std::optional<forms::FileDialogAnswer>
ConsoleDialogs::RunFileDialog(const forms::FileDialogRequest& request) {
    std::string text = request.title.empty() ? request.name : request.title;
    if (!request.filter.empty()) {
        text += " [" + request.filter + "]";
    }
    if (!request.fileName.empty()) {
        text += " " + request.fileName;
    }
    Line(request.kind == forms::FileDialogKind::Open ? "OpenDialog" : "SaveDialog", text);
    auto answer =
        PathAnswer(request.multiSelect ? "[paths joined by | or cancel]" : "[path or cancel]");
    if (!answer) {
        return std::nullopt;
    }
    forms::FileDialogAnswer result;
    result.filterIndex = request.filterIndex;
    if (request.multiSelect) {
        for (const std::string& path : text::Split(*answer, "|")) {
            if (!path.empty()) {
                result.files.push_back(HostPath(path));
            }
        }
    } else {
        result.files.push_back(HostPath(*answer));
    }
    if (result.files.empty()) {
        return std::nullopt;
    }
    return result;
}

std::optional<std::string>
ConsoleDialogs::RunFolderDialog(const forms::FolderDialogRequest& request) {
    Line("FolderDialog", request.title);
    auto answer = PathAnswer("[folder or cancel]");
    if (!answer) {
        return std::nullopt;
    }
    std::string path = HostPath(*answer);
    // A folder comes back without its final separator, the root excepted.
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace zeph::emulator
