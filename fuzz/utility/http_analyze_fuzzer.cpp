// Analyze and GetContenType on arbitrary request bytes, as RecvRequest hands them over: at most
// 1023 bytes, then a terminating zero. Whatever is accepted must fit the record's fields.
#include <tollund/CHttpServer.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks a root length, so that the 260-character limit is reached from
    // either side.
    const size_t rootLength = size > 0 ? 1 + data[0] : 1;
    static CHttpServer* servers[257] = {};
    CHttpServer*& server = servers[rootLength];
    if (server == nullptr) {
        server = new CHttpServer("/" + std::string(rootLength - 1, 'r'), 1);
    }
    if (size > 0) {
        ++data;
        --size;
    }
    char buffer[1024] = {};
    if (size > 0) {
        std::memcpy(buffer, data, size < 1023 ? size : 1023);
    }

    REQUEST request;
    if (server->Analyze(&request, buffer) == 0) {
        const size_t length = strnlen(request.filePath, sizeof request.filePath);
        if (length >= sizeof request.filePath || std::strstr(request.filePath, "..") != nullptr ||
            (request.method != 0 && request.method != 1)) {
            std::abort();
        }
        std::string type = " ";
        server->GetContenType(&request, type);
        if (strnlen(request.extension, sizeof request.extension) >= sizeof request.extension) {
            std::abort();
        }
    }
    return 0;
}
