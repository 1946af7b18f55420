// A program for the kit's tests: copies its input to its output, writes each argument in
// brackets to its error output, then the value of ZEPH_KIT_VALUE if set, and exits with the status
// given as its first argument. It writes no line breaks: Windows' C runtime would turn them into
// CR LF (the tests' inputs have none either).
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        std::fwrite(buffer, 1, got, stdout);
    }
    for (int i = 2; i < argc; ++i) {
        std::fprintf(stderr, "[%s]", argv[i]);
    }
    if (const char* value = std::getenv("ZEPH_KIT_VALUE")) {
        std::fprintf(stderr, "value=%s", value);
    }
    return argc > 1 ? std::atoi(argv[1]) : 0;
}
