#pragma once

#include <tollund/TollundApi.h>

#include <cstdint>
#include <string>

// Writes a minidump when the process dies of a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGABRT), logs the outcome to Info.dat and ends the process quietly with status 128 + signal.
// Dumps are named <program directory>/<executable base name>NN.dmp, NN from 01 to 09; when all
// nine exist the oldest is overwritten.
//
// The dump itself is written by a debug-help library, "libdbghelp.so" in the program directory
// or else on the normal library search path, which exports MiniDumpWriteDump with the signature
// of CMiniDumper::MiniDumpWriteDumpFunction. Without one only the log lines are written.
class TOLLUND_API CMiniDumper {
public:
    // What the filter receives about the failure, as the signal handler got it.
    struct ExceptionInfo {
        int signalNumber;
        void* signalInfo; // siginfo_t*
        void* context;    // ucontext_t* of the failing thread
    };

    // Exception parameter handed to MiniDumpWriteDump.
    struct MiniDumpExceptionInformation {
        int32_t threadId; // kernel thread id of the failing thread
        const ExceptionInfo* exceptionPointers;
        int32_t clientPointers; // 0: the pointers belong to this process
    };

    static constexpr int MiniDumpNormal = 0;

    // The debug-help library's entry: process id (twice, as process and id), the open dump file,
    // the dump type, the exception parameter, user streams and callback (both null here).
    // Nonzero on success; on failure 0 with errno set.
    using MiniDumpWriteDumpFunction = int (*)(int32_t process, int32_t processId, int file,
                                              int dumpType,
                                              const MiniDumpExceptionInformation* exception,
                                              const void* userStreams, const void* callback);

    CMiniDumper();

    // Makes TopLevelFilter the handler of the fatal signals, replacing any handler set before,
    // and gives the calling thread an alternate signal stack, so that a stack overflow can
    // still be reported. Call it again from another thread to give that thread one too. The
    // debug-help library is looked up here: nothing may be loaded once the process has failed.
    static void SetUnhandledExceptionFilter();
    // The dump path for numbers 1 to limit - 1: the first name no file has, else the oldest
    // file matching <base>??.dmp; left unchanged when no name is formed and none matches.
    static void GetFileName(int limit, std::string& path);

private:
    // Runs in the signal handler: async-signal-safe calls only. Always 1.
    static int32_t TopLevelFilter(ExceptionInfo* info);
    static void OnFatalSignal(int signalNumber, void* signalInfo, void* context);
};
