// What the library's entry point does for the edition it is given, and the unload hook.
#include "core/MainWindowEntry.h"

#include "core/LibraryState.h"

#include <zeph/forms/Application.h>

#include <cstdint>
#include <memory>

namespace morvane {
namespace {

constexpr int kProcessDetach = 0;

// Puts the recorded application object back when the library goes away.
void DllProcHook(int reason) {
    if (reason == kProcessDetach && State().recordedApplication != nullptr) {
        zeph::forms::SetApplication(State().recordedApplication);
    }
}

// No window may outlive the code behind its handlers: unloading frees the library's windows,
// then runs the hook.
__attribute__((destructor)) void OnUnload() {
    auto& state = State();
    delete state.testWindow;
    state.testWindow = nullptr;
    state.mainWindow.reset();
    DllProcHook(kProcessDetach);
}

} // namespace

std::uint32_t ShowMainWindow(std::uint32_t applicationHandle, const EditionTables& edition) {
    auto& state = State();
    try {
        if (state.recordedApplication == nullptr) {
            state.recordedApplication = zeph::forms::Application();
            state.recordedApplication->SetHandle(applicationHandle);
        }
        if (state.mainWindow == nullptr) {
            state.mainWindow = std::make_unique<TInterFacefrmMain>(nullptr, edition);
        }
        return state.mainWindow->Handle();
    } catch (...) {
        state.mainWindow.reset();
        return 0;
    }
}

} // namespace morvane
