// zeph-host gui: the desk drawn as a window. A field takes a word and its arguments, a button
// delivers it, Output shows below, and a button sends TEST so that the plug-in's own test window
// reaches every word by hand. The window and every window of the plug-in are drawn by the Qt
// backend of the form toolkit.
#pragma once

#include <zeph/forms/Backend.h>
#include <zeph/forms/Form.h>

#include <functional>
#include <memory>
#include <string>

namespace zeph::emulator {

struct DeskAnswer {
    int status = 0;
    std::string shown; // UTF-8: Output as JSON, after the error of a word that failed
};

struct DeskWindowCalls {
    // Called once the window exists, before anything is delivered: the desk hands the window's
    // handle to the plug-in (ShowMorvane) and presents dialogs through the backend.
    std::function<void(zeph::forms::Form& window, std::shared_ptr<zeph::forms::Backend> backend)>
        attach;
    // Delivers one line (UTF-8, split as the repl splits its lines, without "call").
    std::function<DeskAnswer(const std::string& line)> deliver;
};

// Runs the window until it is closed; returns the status of the last delivery that failed, 0
// when none did.
int RunDeskWindow(int argc, char** argv, const std::string& title, DeskWindowCalls calls);

} // namespace zeph::emulator
