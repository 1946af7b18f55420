#include "bulletin/EventfulTransfer.h"

#include <zeph/forms/MessagePump.h>

#include <stdexcept>

namespace morvane::bulletin {

namespace {
// libcurl's own waits can last a second; the desk is let through at least this often.
constexpr int kLongestWaitMs = 10;
} // namespace

EventfulTransfer::EventfulTransfer() : multi_(curl_multi_init()) {
    if (multi_ == nullptr) {
        throw std::runtime_error("cannot create an HTTP transfer handle");
    }
}

EventfulTransfer::~EventfulTransfer() {
    curl_multi_cleanup(multi_);
}

CURLcode EventfulTransfer::Perform(CURL* easy) {
    if (running_) {
        return CURLE_RECURSIVE_API_CALL;
    }
    if (curl_multi_add_handle(multi_, easy) != CURLM_OK) {
        return CURLE_FAILED_INIT;
    }
    running_ = true;
    zeph::forms::MessagePump pump;
    CURLcode rc = CURLE_OK;
    int active = 1;
    while (active > 0) {
        if (curl_multi_perform(multi_, &active) != CURLM_OK) {
            rc = CURLE_FAILED_INIT;
            break;
        }
        if (active == 0) {
            break;
        }
        curl_multi_poll(multi_, nullptr, 0, kLongestWaitMs, nullptr);
        pump.Tick();
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            rc = message->data.result;
        }
    }
    curl_multi_remove_handle(multi_, easy);
    running_ = false;
    return rc;
}

} // namespace morvane::bulletin
