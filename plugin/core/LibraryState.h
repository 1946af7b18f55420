// State of the loaded library, living until it is unloaded.
#pragma once

#include "core/untZeph.h"

#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>

#include <memory>

namespace morvane {

struct LibraryState {
    // The single main window. The library owns it until it closes; a closed window frees itself
    // through the toolkit, which then holds it until the event that closed it has returned.
    std::unique_ptr<TInterFacefrmMain> mainWindow;
    zeph::forms::TApplication* recordedApplication = nullptr;
    // The test window, owned by the main window.
    zeph::forms::Form* testWindow = nullptr;

    // Gives up the main window when it is that one, without freeing it.
    void ForgetMainWindow(const TInterFacefrmMain* window) {
        if (mainWindow.get() == window) {
            static_cast<void>(mainWindow.release());
        }
    }
};

LibraryState& State();

} // namespace morvane
