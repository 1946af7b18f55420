#pragma once

// What the request protocol shares with the platform's connection code.

#include <tollund/CHttpServer.h>

#include <cstddef>
#include <cstdint>

namespace tollund::detail {

constexpr unsigned DefaultHttpPort = 80;
constexpr int ListenJoinTimeoutMs = 10000;
constexpr int ClientsWaitTimeoutMs = 5000;
constexpr uint32_t RequestBufferSize = 1024;
constexpr size_t FileBufferSize = 2048;
constexpr size_t HeaderBufferSize = 2048;
constexpr const char* ServerName = "Vintor OAM Http Server";
constexpr const char* ReadFailure = "500 Internal Server Error";

// Whether the bytes hold the blank line that ends a request's header block (a client may end
// lines with a line feed alone).
bool EndsHeaderBlock(const char* bytes, size_t size);

// Platform: sends the response header with one plain send, its result ignored; a GET's body
// follows it.
void SendHeaderBytes(REQUEST* request, const char* header, size_t length);

// Platform: closes the file a request still holds.
void CloseRequestFile(REQUEST* request);

} // namespace tollund::detail
