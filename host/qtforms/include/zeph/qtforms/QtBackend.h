// The form toolkit's windows as Qt Widgets. Every window is drawn from its controls and
// settings; what a person does becomes the toolkit's User actions, so the same key filters,
// change handlers and close checks run as in scripted tests. After every action (and on a short
// timer, for changes made outside one) each shown window is brought up to date with its
// controls, so handlers change controls without knowing of Qt.
//
// A QApplication must exist before the backend is made and outlive it.
#pragma once

#include <zeph/forms/Backend.h>
#include <zeph/forms/Control.h>

#include <memory>

class QWidget;

namespace zeph::qtforms {

class QtBackend final : public zeph::forms::Backend {
public:
    QtBackend();
    ~QtBackend() override;
    QtBackend(const QtBackend&) = delete;
    QtBackend& operator=(const QtBackend&) = delete;

    zeph::forms::ModalResult RunModal(zeph::forms::Form& form) override;
    void ShowModeless(zeph::forms::Form& form) override;
    void HideWindow(zeph::forms::Form& form) override;
    zeph::forms::ModalResult ShowMessage(const zeph::forms::MessageRequest& request) override;
    std::optional<zeph::forms::FileDialogAnswer>
    RunFileDialog(const zeph::forms::FileDialogRequest& request) override;
    std::optional<std::string>
    RunFolderDialog(const zeph::forms::FolderDialogRequest& request) override;
    void CursorChanged(zeph::forms::Cursor cursor) override;
    void WindowChanged(zeph::forms::Form& form) override;
    void PaintWindow(zeph::forms::Form& form) override;
    // Processes Qt's pending events: windows brought up to date paint, clicks are delivered.
    void ProcessMessages() override;
    void RequestStarted() override;
    void RequestEnded() override;
    void WindowDestroyed(zeph::forms::Form& form) override;

    // The widget that presents a control (the top-level widget for a window), or nullptr when
    // the control's window has not been shown.
    QWidget* WidgetOf(const zeph::forms::Control& control) const;
    // Brings every shown window up to date with its controls.
    void Refresh();
    // Windows centred on their owner or the main form without one are centred on this widget
    // (the host's desk window).
    void SetMainWidget(QWidget* widget);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace zeph::qtforms
