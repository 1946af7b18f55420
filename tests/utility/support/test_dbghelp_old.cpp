// A debug-help library that lacks MiniDumpWriteDump.

extern "C" __attribute__((visibility("default"))) int MiniDumpVersion() {
    return 1;
}
