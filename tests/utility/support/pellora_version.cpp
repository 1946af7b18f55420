// A library with version entries for two translations; the first one counts.

__attribute__((used, section(".tollund.version"))) static const char versionEntries[] =
    "VarFileInfo\\Translation=040904b0,080404b0\0"
    "StringFileInfo\\080404b0\\ProductVersion=9.9.9.9\0"
    "StringFileInfo\\040904b0\\ProductVersion=3.1.4.1";

extern "C" __attribute__((visibility("default"))) const char* PelloraEntries() {
    return versionEntries;
}
