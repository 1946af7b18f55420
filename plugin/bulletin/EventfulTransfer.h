// Runs a libcurl transfer on the user-interface thread while letting the desk's events through
// every few milliseconds, so windows paint while a web service takes its time to answer.
#pragma once

#include <curl/curl.h>

namespace morvane::bulletin {

class EventfulTransfer {
public:
    EventfulTransfer();
    ~EventfulTransfer();
    EventfulTransfer(const EventfulTransfer&) = delete;
    EventfulTransfer& operator=(const EventfulTransfer&) = delete;

    // curl_easy_perform for easy, whose connections stay in this object's cache for the next
    // transfer. CURLE_RECURSIVE_API_CALL when asked from inside a transfer's events.
    CURLcode Perform(CURL* easy);

private:
    CURLM* multi_ = nullptr;
    bool running_ = false;
};

} // namespace morvane::bulletin
