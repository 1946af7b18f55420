// A debug-help library for the crash tests: MiniDumpWriteDump writes one line naming the signal,
// thread and process. With TEST_DUMP_FAIL set in the environment it fails with ENOSPC.

#include <tollund/CMiniDumper.h>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
void Append(char* buffer, size_t& length, const char* text) {
    while (*text != '\0' && length < 255) {
        buffer[length++] = *text++;
    }
}
void AppendNumber(char* buffer, size_t& length, long value) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n > 0 && length < 255) {
        buffer[length++] = digits[--n];
    }
}
} // namespace

extern "C" __attribute__((visibility("default"))) int
MiniDumpWriteDump(int32_t process, int32_t processId, int file, int dumpType,
                  const CMiniDumper::MiniDumpExceptionInformation* exception,
                  const void* userStreams, const void* callback) {
    (void)process;
    if (std::getenv("TEST_DUMP_FAIL") != nullptr) {
        errno = ENOSPC;
        return 0;
    }
    char line[256];
    size_t length = 0;
    Append(line, length, "TESTDUMP type=");
    AppendNumber(line, length, dumpType);
    Append(line, length, " signal=");
    AppendNumber(line, length, exception->exceptionPointers->signalNumber);
    Append(line, length, " thread=");
    AppendNumber(line, length, exception->threadId);
    Append(line, length, " pid=");
    AppendNumber(line, length, processId);
    Append(line, length, userStreams == nullptr && callback == nullptr ? " plain\n" : " extra\n");
    return write(file, line, length) == static_cast<ssize_t>(length) ? 1 : 0;
}
