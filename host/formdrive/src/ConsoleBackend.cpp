#include <zeph/formdrive/ConsoleBackend.h>
#include <zeph/formdrive/Terminal.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/ProgressBar.h>
#include <zeph/platform/Paths.h>

#include <filesystem>
#include <iostream>

namespace zeph::forms {
namespace {

// One line per box: carriage returns and line feeds of the text are written as "\r", "\n".
std::string OneLine(const std::string& hostText) {
    std::string utf8 = zeph::text::GbkToUtf8(hostText);
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

enum class Reply { Yes, No, Cancel, Unknown };

Reply ReplyOf(const std::string& lower) {
    if (lower == "yes" || lower == "y" || lower == "true" || lower == "ok" || lower == "1") {
        return Reply::Yes;
    }
    if (lower == "no" || lower == "n" || lower == "false" || lower == "0") {
        return Reply::No;
    }
    if (lower == "cancel" || lower == "c") {
        return Reply::Cancel;
    }
    return Reply::Unknown;
}

// A path as the program got it (UTF-8), made absolute, as host text.
std::string HostPath(const std::string& utf8, bool folder) {
    std::error_code ec;
    std::filesystem::path path = zeph::platform::PathFromUtf8(utf8);
    if (path.is_relative()) {
        std::filesystem::path absolute = std::filesystem::absolute(path, ec);
        if (!ec) {
            path = absolute.lexically_normal();
        }
    }
    // A folder's final separators go, but not the root's own ("/", "C:\\").
    while (folder && path.has_relative_path() && !path.has_filename()) {
        path = path.parent_path();
    }
    return zeph::platform::HostPath(zeph::platform::PathToUtf8(path));
}

std::string Lower(const std::string& text) {
    return zeph::text::LowerCase(zeph::text::Trim(text));
}

void PresentControls(const WinControl& container, int depth, std::string& out) {
    for (const Control* control : container.Controls()) {
        out += std::string(static_cast<std::size_t>(depth) * 2 + 2, ' ');
        out += control->Name().empty() ? std::string("(unnamed)") : control->Name();
        out += " (";
        out += control->KindName();
        out += ")";
        if (!control->Visible) {
            out += " hidden";
        }
        if (!control->Enabled) {
            out += " disabled";
        }
        std::string value = control->Describe();
        if (!value.empty()) {
            out += ": " + OneLine(value);
        }
        out += "\n";
        if (auto* inner = dynamic_cast<const WinControl*>(control)) {
            PresentControls(*inner, depth + 1, out);
        }
    }
}

bool HoldsProgressBar(const WinControl& container) {
    for (const Control* control : container.Controls()) {
        if (dynamic_cast<const ProgressBar*>(control) != nullptr) {
            return true;
        }
        if (auto* inner = dynamic_cast<const WinControl*>(control);
            inner != nullptr && HoldsProgressBar(*inner)) {
            return true;
        }
    }
    return false;
}

// The visible labels' texts and the visible bars' positions of a window.
void CollectProgress(const WinControl& container, std::string& texts, std::string& bars) {
    for (const Control* control : container.Controls()) {
        if (!control->Visible) {
            continue;
        }
        if (auto* label = dynamic_cast<const Label*>(control)) {
            texts += (texts.empty() ? "" : " ") + label->Caption();
        } else if (auto* bar = dynamic_cast<const ProgressBar*>(control)) {
            bars += (bars.empty() ? "" : ", ") + bar->Name() + " " + bar->Describe();
        } else if (auto* inner = dynamic_cast<const WinControl*>(control)) {
            CollectProgress(*inner, texts, bars);
        }
    }
}

const char* kHelp =
    "  commands: type|paste <control> <text>, clear|click|rightclick|focus|button <control>,\n"
    "  select|selectmore|dblclick|tick|untick|expand|collapse <control> <index or text>,\n"
    "  key <control> <key>, set <control> <date>, spin <control> <steps>, escape, enter,\n"
    "  close, show, help\n";

} // namespace

ConsoleBackend::ConsoleBackend(std::ostream& log, std::istream& terminal, bool interactive)
    : log_(log), terminal_(terminal), interactive_(interactive) {}

std::shared_ptr<ConsoleBackend> ConsoleBackend::ForProcess() {
    return std::make_shared<ConsoleBackend>(std::cerr, std::cin, StandardInputIsTerminal());
}

void ConsoleBackend::AddAnswer(std::string utf8) {
    answers_.push_back(std::move(utf8));
}

void ConsoleBackend::Line(const std::string& kind, const std::string& hostText) {
    log_ << kind << ": " << OneLine(hostText) << '\n';
    log_.flush();
}

std::optional<std::string> ConsoleBackend::NextAnswer(const std::string& prompt) {
    if (!answers_.empty()) {
        std::string answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    if (!interactive_) {
        return std::nullopt;
    }
    log_ << "  " << prompt << "? ";
    log_.flush();
    std::string line;
    if (!std::getline(terminal_, line)) {
        return std::nullopt;
    }
    return zeph::text::Trim(line);
}

ModalResult ConsoleBackend::ShowMessage(const MessageRequest& request) {
    const std::string kind = request.source.empty() ? "MessageBox" : request.source;
    Line(kind, request.text);
    if (request.buttons == MessageButtons::Ok) {
        return ModalResult::Ok;
    }
    bool hasNo = request.buttons != MessageButtons::OkCancel;
    bool hasCancel = request.buttons != MessageButtons::YesNo;
    ModalResult refusal = hasNo ? ModalResult::No : ModalResult::Cancel;
    std::optional<std::string> answer =
        NextAnswer(hasNo ? (hasCancel ? "yes/no/cancel" : "yes/no") : "ok/cancel");
    if (!answer) {
        return refusal;
    }
    switch (ReplyOf(Lower(*answer))) {
    case Reply::Yes:
        return hasNo ? ModalResult::Yes : ModalResult::Ok;
    case Reply::No:
        return refusal;
    case Reply::Cancel:
        return hasCancel ? ModalResult::Cancel : ModalResult::No;
    case Reply::Unknown:
    default:
        // A wrong answer must not pass for a choice the person did not make.
        throw EAnswerError("the answer '" + *answer + "' does not answer " + kind + ": " +
                           OneLine(request.text));
    }
}

std::optional<FileDialogAnswer> ConsoleBackend::RunFileDialog(const FileDialogRequest& request) {
    bool save = request.kind == FileDialogKind::Save;
    std::string text = request.title.empty() ? request.name : request.title;
    if (!request.filter.empty()) {
        text += (text.empty() ? "[" : " [") + request.filter + "]";
    }
    if (!request.fileName.empty()) {
        text += (text.empty() ? "" : " ") + request.fileName;
    }
    Line(save ? "SaveDialog" : "OpenDialog", text);
    std::optional<std::string> answer =
        NextAnswer(request.multiSelect ? "files, joined by |, or cancel" : "file or cancel");
    if (!answer || answer->empty() || Lower(*answer) == "cancel") {
        return std::nullopt;
    }
    FileDialogAnswer result;
    result.filterIndex = request.filterIndex;
    for (const std::string& part : zeph::text::Split(*answer, "|")) {
        std::string trimmed = zeph::text::Trim(part);
        if (!trimmed.empty()) {
            result.files.push_back(HostPath(trimmed, false));
        }
        if (!request.multiSelect && !result.files.empty()) {
            break;
        }
    }
    if (result.files.empty()) {
        return std::nullopt;
    }
    return result;
}

std::optional<std::string> ConsoleBackend::RunFolderDialog(const FolderDialogRequest& request) {
    Line("FolderDialog", request.title);
    std::optional<std::string> answer = NextAnswer("folder or cancel");
    if (!answer || answer->empty() || Lower(*answer) == "cancel") {
        return std::nullopt;
    }
    return HostPath(*answer, true);
}

std::string ConsoleBackend::Present(const Form& form) {
    std::string out = form.ClassName() + " \"" + OneLine(form.Caption) + "\"\n";
    PresentControls(form, 0, out);
    return out;
}

void ConsoleBackend::PresentWindow(Form& form) {
    log_ << Present(form);
    log_.flush();
}

void ConsoleBackend::RunScripted(Form& form, const WindowScripts::Action& action) {
    try {
        action(form, user_);
    } catch (const EAnswerError&) {
        throw;
    } catch (const EFormsError& error) {
        log_ << "ScriptError: " << form.ClassName() << ": " << error.what() << '\n';
    }
}

void ConsoleBackend::Converse(Form& form) {
    log_ << Present(form) << kHelp;
    std::string line;
    while (!form.ModalEnded()) {
        log_ << form.ClassName() << "> ";
        log_.flush();
        if (!std::getline(terminal_, line)) {
            log_ << '\n';
            return;
        }
        std::string command = zeph::text::Trim(line);
        if (command.empty()) {
            continue;
        }
        if (Lower(command) == "show") {
            log_ << Present(form);
            continue;
        }
        if (Lower(command) == "help") {
            log_ << kHelp;
            continue;
        }
        try {
            if (!RunScriptAction(ParseScriptAction(command), form, user_)) {
                log_ << "  (nothing happened: the control is not reachable or already so)\n";
            }
        } catch (const EAnswerError&) {
            throw;
        } catch (const EFormsError& error) {
            log_ << "  " << error.what() << '\n';
        }
    }
}

ModalResult ConsoleBackend::RunModal(Form& form) {
    Line("Window", form.Caption + " (" + form.ClassName() + ")");
    if (WindowScripts::Action action = scripts_.Take(form)) {
        RunScripted(form, action);
    } else if (interactive_) {
        Converse(form);
    }
    if (!form.PollModal()) {
        form.Close();
        if (!form.PollModal()) {
            log_ << "Window: " << form.ClassName() << " would not close; ended with Cancel\n";
            form.ForceEndModal(ModalResult::Cancel);
        }
    }
    return form.modalResult;
}

void ConsoleBackend::ShowModeless(Form& form) {
    Line("Window", form.Caption + " (" + form.ClassName() + ")");
    if (HoldsProgressBar(form)) {
        ProgressState& state = progress_[&form];
        state.className = form.ClassName();
        CollectProgress(form, state.texts, state.bars);
        Line("Progress", state.texts + " (" + state.className + ")");
    }
    if (WindowScripts::Action action = scripts_.Take(form)) {
        AfterRequest after;
        RunScripted(form, action);
    }
}

void ConsoleBackend::WindowChanged(Form& form) {
    // Only remembered here: a line per step of a long export would drown everything else.
    auto found = progress_.find(&form);
    if (found != progress_.end()) {
        found->second.texts.clear();
        found->second.bars.clear();
        CollectProgress(form, found->second.texts, found->second.bars);
    }
}

void ConsoleBackend::WindowDestroyed(Form& form) {
    auto found = progress_.find(&form);
    if (found != progress_.end()) {
        const ProgressState& state = found->second;
        Line("Progress", state.texts + (state.bars.empty() ? "" : ", " + state.bars) + " (" +
                             state.className + " closed)");
        progress_.erase(found);
    }
}

} // namespace zeph::forms
