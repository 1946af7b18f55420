// State of the loaded library, living until it is unloaded.
#pragma once

#include <zeph/forms/Application.h>
#include <zeph/forms/Component.h>
#include <zeph/forms/Form.h>

#include <memory>

namespace morvane {

class TInterFacefrmMain;

struct LibraryState {
    TInterFacefrmMain* mainWindow = nullptr;
    zeph::forms::TApplication* recordedApplication = nullptr;
    zeph::forms::Form* testWindow = nullptr;
    // The export-field configuration cache, loaded on first use and freed with the main window.
    std::unique_ptr<zeph::forms::Component> exportFieldConfig;
};

LibraryState& State();

} // namespace morvane
