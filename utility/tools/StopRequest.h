#pragma once

// How a person asks a running tool to stop: SIGINT or SIGTERM on POSIX, Ctrl+C, Ctrl+Break or
// the console closing on Windows.

// Call before any thread starts, so that every thread leaves the request to WaitForStopRequest.
void PrepareStopRequest();

// Returns once a stop has been asked for.
void WaitForStopRequest();
