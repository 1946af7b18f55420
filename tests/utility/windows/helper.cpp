// A program that the Windows tests start: "crash" dies of an access violation inside
// CrashHere after setting the crash filter, "sleep N" waits N seconds, "print TEXT" writes TEXT
// to standard output.

#include <tollund/CMiniDumper.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Not inlined, so that the dump's backtrace names it.
__attribute__((noinline)) void CrashHere(volatile int* where) {
    *where = 42;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "crash") == 0) {
        CMiniDumper::SetUnhandledExceptionFilter();
        volatile int* volatile nowhere = nullptr;
        CrashHere(nowhere);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "sleep") == 0) {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000u);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "print") == 0) {
        std::fputs(argv[2], stdout);
        return 0;
    }
    return 2;
}
