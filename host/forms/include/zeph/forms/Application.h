// The process's UI application object: the window handle that owns dialogs, the backend that
// presents windows, the cursor, and windows waiting to be released.
#pragma once

#include <zeph/forms/Backend.h>
#include <zeph/forms/Types.h>

#include <memory>
#include <vector>

namespace zeph::forms {

class Form;

class ZEPH_HOST_API TApplication {
public:
    TApplication();
    ~TApplication();

    WindowHandle Handle() const noexcept { return handle_; }
    void SetHandle(WindowHandle handle) noexcept { handle_ = handle; }

    // The backend in use; a process without one gets a backend that answers every dialog
    // with cancel / no and closes every window with its cancel result.
    Backend& GetBackend();
    void SetBackend(std::shared_ptr<Backend> backend);

    Cursor GetCursor() const noexcept { return cursor_; }
    void SetCursor(Cursor cursor);

    // Lets pending events through (windows paint, clicks are taken) and returns; long loops call
    // it, or a MessagePump, so the windows stay alive while they run.
    void ProcessMessages();

    // Brackets a request delivered by the host; requests do not nest: BeginRequest gives false
    // while one is running.
    bool BeginRequest();
    void EndRequest();
    bool RequestRunning() const noexcept { return requestRunning_; }

    // Frees windows released during the last event. Hosts call it after each delivered request
    // and backends after each user action.
    void ProcessReleases();
    void QueueRelease(Form* form);
    void CancelRelease(Form* form) noexcept;

    // What the framework's message loop does with an error that leaves an event handler of a
    // person's action: an error message box (source "Exception") with the error's text.
    void ShowException(const std::string& text);
    // The title of error message boxes.
    std::string Title = "Zeph";

private:
    WindowHandle handle_ = 0;
    std::shared_ptr<Backend> backend_;
    Cursor cursor_ = Cursor::Default;
    std::vector<Form*> releases_;
    bool requestRunning_ = false;
    friend class AfterRequest;
};

// The current application object of the process, and replacing it (the previous one is
// returned and stays alive with its owner).
ZEPH_HOST_API TApplication* Application();
ZEPH_HOST_API TApplication* SetApplication(TApplication* application);

// A backend that plays a modeless window's script at once, inside the word that showed it,
// plays what a person does once that word has returned: for the script's length no request is
// running, so the window may deliver words as it would then.
class ZEPH_HOST_API AfterRequest {
public:
    AfterRequest();
    ~AfterRequest();
    AfterRequest(const AfterRequest&) = delete;
    AfterRequest& operator=(const AfterRequest&) = delete;

private:
    bool wasRunning_;
};

// Shows the hourglass for the lifetime of the object and restores the previous cursor.
class ZEPH_HOST_API HourGlass {
public:
    HourGlass();
    ~HourGlass();
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;

private:
    Cursor previous_;
};

} // namespace zeph::forms
