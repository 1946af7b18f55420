#include "Appearance.h"
#include "FormView.h"

#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>
#include <zeph/qtforms/QtBackend.h>
#include <zeph/qtforms/QtText.h>
#include <zeph/text/HostText.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

// Brings a window to the front where the platform has a front (the offscreen one has not).
void Raise(QWidget* window) {
    if (QGuiApplication::platformName() != "offscreen") {
        window->raise();
    }
    window->activateWindow();
}

// "description|pattern;pattern|..." as Qt's name filters ("description (pattern pattern)").
QStringList NameFilters(const std::string& filter) {
    std::vector<std::string> pieces = zeph::text::Split(filter, "|");
    QStringList out;
    for (std::size_t i = 0; i + 1 < pieces.size(); i += 2) {
        QString patterns = ToQt(pieces[i + 1]);
        patterns.replace(';', ' ');
        out << ToQt(pieces[i]) + " (" + patterns.simplified() + ")";
    }
    return out;
}

QMessageBox::Icon IconOf(forms::MessageKind kind) {
    switch (kind) {
    case forms::MessageKind::Information:
        return QMessageBox::Information;
    case forms::MessageKind::Question:
        return QMessageBox::Question;
    case forms::MessageKind::Error:
        return QMessageBox::Critical;
    case forms::MessageKind::Warning:
        return QMessageBox::Warning;
    case forms::MessageKind::Plain:
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ButtonsOf(forms::MessageButtons buttons) {
    switch (buttons) {
    case forms::MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case forms::MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case forms::MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case forms::MessageButtons::Ok:
    default:
        return QMessageBox::Ok;
    }
}

forms::ModalResult ResultOf(int button, forms::MessageButtons buttons) {
    switch (button) {
    case QMessageBox::Ok:
        return forms::ModalResult::Ok;
    case QMessageBox::Yes:
        return forms::ModalResult::Yes;
    case QMessageBox::No:
        return forms::ModalResult::No;
    case QMessageBox::Cancel:
        return forms::ModalResult::Cancel;
    default:
        // Closed without a button: what the box's escape means.
        return buttons == forms::MessageButtons::Ok      ? forms::ModalResult::Ok
               : buttons == forms::MessageButtons::YesNo ? forms::ModalResult::No
                                                         : forms::ModalResult::Cancel;
    }
}

} // namespace

struct QtBackend::Impl final : Dispatcher {
    std::map<const forms::Form*, FormView*> views;
    std::vector<std::pair<forms::Form*, QEventLoop*>> modals;
    forms::User user;
    bool syncing = false;
    QPointer<QWidget> mainWidget;
    int waitCursors = 0;
    QTimer timer;
    // While a request runs: the windows that were there before it, which wait for it to end.
    std::set<const forms::Form*> waiting;
    bool requestRunning = false;

    Impl() {
        InstallFontSubstitutions();
        // Changes made outside a person's action (a request delivered to the plug-in, a
        // timer of a window, a modal showing ended by code) show within a moment.
        timer.setInterval(200);
        QObject::connect(&timer, &QTimer::timeout, [this] { AfterAction(); });
        timer.start();
    }
    ~Impl() override {
        // The backend goes between events: nothing of its windows is under way.
        for (auto& [form, view] : views) {
            view->Detach(true);
            delete view;
        }
        while (waitCursors-- > 0) {
            QApplication::restoreOverrideCursor();
        }
    }

    FormView& ViewFor(forms::Form& form) {
        auto it = views.find(&form);
        if (it == views.end()) {
            it = views.emplace(&form, new FormView(*this, form)).first;
        }
        return *it->second;
    }

    void SyncAll() {
        if (syncing) {
            return;
        }
        syncing = true;
        // A copy: a view being brought up to date never frees a window, but stay safe.
        std::vector<FormView*> current;
        for (auto& [form, view] : views) {
            current.push_back(view);
        }
        for (FormView* view : current) {
            view->Sync();
        }
        syncing = false;
    }

    void Act(forms::Form* form, forms::Control* control,
             std::function<void(forms::User&)> action) override {
        if (syncing || views.count(form) == 0) {
            return;
        }
        if (requestRunning && waiting.count(form) != 0) {
            // Only the running request's own windows take a person's actions; the desk and the
            // plug-in's other windows would start a request inside it.
            QApplication::beep();
            return;
        }
        if (control != form && !form->ContainsControl(control)) {
            return; // the control is gone; its widget goes with the next update
        }
        try {
            action(user);
        } catch (const forms::EUserAction&) {
            // What no person could do (a tab that is hidden by now): nothing happens.
        } catch (const std::exception& e) {
            forms::Application()->ShowException(e.what());
        }
        forms::Application()->ProcessReleases();
        AfterAction();
    }

    void AfterAction() {
        SyncAll();
        for (auto& [form, loop] : modals) {
            if (form->ModalEnded()) {
                loop->quit();
            }
        }
    }

    bool Syncing() const override { return syncing; }
    QWidget* MainWidget() const override { return mainWidget; }
    QWidget* WindowOf(const forms::Form* form) const override {
        auto it = views.find(form);
        return it == views.end() ? nullptr : it->second->Window();
    }

    // The widget a dialog of owner sits on.
    QWidget* DialogParent(forms::WindowHandle owner) const {
        if (forms::Form* form =
                owner == forms::kNoOwner ? nullptr : forms::Form::FromHandle(owner)) {
            if (QWidget* w = WindowOf(form); w != nullptr && w->isVisible()) {
                return w;
            }
        }
        if (QWidget* modal = QApplication::activeModalWidget()) {
            return modal;
        }
        if (QWidget* active = QApplication::activeWindow()) {
            return active;
        }
        return mainWidget;
    }
};

QtBackend::QtBackend() : impl_(std::make_unique<Impl>()) {}
QtBackend::~QtBackend() = default;

forms::ModalResult QtBackend::RunModal(forms::Form& form) {
    FormView& view = impl_->ViewFor(form);
    view.Window()->setWindowModality(Qt::ApplicationModal);
    impl_->SyncAll();
    Raise(view.Window());
    QEventLoop loop;
    impl_->modals.emplace_back(&form, &loop);
    if (!form.ModalEnded()) {
        loop.exec();
    }
    impl_->modals.pop_back();
    return form.modalResult;
}

void QtBackend::ShowModeless(forms::Form& form) {
    FormView& view = impl_->ViewFor(form);
    view.Window()->setWindowModality(Qt::NonModal);
    impl_->SyncAll();
    Raise(view.Window());
}

void QtBackend::HideWindow(forms::Form& form) {
    if (QWidget* window = impl_->WindowOf(&form)) {
        window->hide();
    }
}

void QtBackend::WindowChanged(forms::Form& form) {
    impl_->SyncAll();
    if (QWidget* window = impl_->WindowOf(&form); window != nullptr && form.Visible) {
        Raise(window);
    }
}

void QtBackend::PaintWindow(forms::Form& form) {
    impl_->SyncAll();
    if (QWidget* window = impl_->WindowOf(&form); window != nullptr && window->isVisible()) {
        window->repaint();
    }
}

void QtBackend::ProcessMessages() {
    impl_->SyncAll();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    impl_->AfterAction();
}

void QtBackend::RequestStarted() {
    impl_->requestRunning = true;
    impl_->waiting.clear();
    for (auto& [form, view] : impl_->views) {
        impl_->waiting.insert(form);
    }
}

void QtBackend::RequestEnded() {
    impl_->requestRunning = false;
    impl_->waiting.clear();
}

void QtBackend::WindowDestroyed(forms::Form& form) {
    impl_->waiting.erase(&form);
    auto it = impl_->views.find(&form);
    if (it == impl_->views.end()) {
        return;
    }
    FormView* view = it->second;
    impl_->views.erase(it);
    view->Detach();
    // An event of this window may be under way: the view goes once it is over.
    view->deleteLater();
}

forms::ModalResult QtBackend::ShowMessage(const forms::MessageRequest& request) {
    std::string caption = request.caption.empty() ? forms::Application()->Title : request.caption;
    QMessageBox box(IconOf(request.kind), ToQt(caption), ToQt(request.text),
                    ButtonsOf(request.buttons), impl_->DialogParent(request.owner));
    box.setWindowModality(Qt::ApplicationModal);
    box.setObjectName(
        QString::fromStdString(request.source.empty() ? "MessageBox" : request.source));
    int button = box.exec();
    impl_->AfterAction();
    return ResultOf(button, request.buttons);
}

std::optional<forms::FileDialogAnswer>
QtBackend::RunFileDialog(const forms::FileDialogRequest& request) {
    QFileDialog dialog(impl_->DialogParent(request.owner), ToQt(request.title),
                       ToQt(request.initialDir));
    dialog.setObjectName(request.kind == forms::FileDialogKind::Save ? "SaveDialog" : "OpenDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        int index = std::clamp(request.filterIndex, 1, static_cast<int>(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (request.kind == forms::FileDialogKind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles
                                               : QFileDialog::ExistingFile);
    }
    if (!request.fileName.empty()) {
        dialog.selectFile(ToQt(request.fileName));
    }
    int accepted = dialog.exec();
    impl_->AfterAction();
    if (accepted != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    forms::FileDialogAnswer answer;
    for (const QString& file : dialog.selectedFiles()) {
        answer.files.push_back(FromQt(QDir::toNativeSeparators(file)));
    }
    answer.filterIndex = filters.isEmpty()
                             ? request.filterIndex
                             : static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (answer.filterIndex <= 0) {
        answer.filterIndex = request.filterIndex;
    }
    return answer;
}

std::optional<std::string> QtBackend::RunFolderDialog(const forms::FolderDialogRequest& request) {
    QString start = ToQt(request.initialDir);
    if (start.isEmpty()) {
        start = request.root == forms::FolderRoot::Drives
                    ? QDir::rootPath()
                    : QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    }
    QFileDialog dialog(impl_->DialogParent(request.owner), ToQt(request.title), start);
    dialog.setObjectName("FolderDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    int accepted = dialog.exec();
    impl_->AfterAction();
    if (accepted != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return FromQt(dialog.selectedFiles().front());
}

void QtBackend::CursorChanged(forms::Cursor cursor) {
    if (cursor == forms::Cursor::HourGlass) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++impl_->waitCursors;
    } else {
        while (impl_->waitCursors > 0) {
            QApplication::restoreOverrideCursor();
            --impl_->waitCursors;
        }
    }
}

QWidget* QtBackend::WidgetOf(const forms::Control& control) const {
    forms::Form* form = control.ParentForm();
    if (form == nullptr) {
        return nullptr;
    }
    auto it = impl_->views.find(form);
    return it == impl_->views.end() ? nullptr : it->second->WidgetFor(&control);
}

void QtBackend::Refresh() {
    impl_->SyncAll();
}

void QtBackend::SetMainWidget(QWidget* widget) {
    impl_->mainWidget = widget;
}

} // namespace zeph::qtforms
