// note_argument FILE [ARG...]: appends its last argument and a line break to FILE. The desk's
// player in tests, run the way the platform runs a player, so a test reads what it was given.
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: note_argument FILE ARG\n", stderr);
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "ab");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fprintf(file, "%s\n", argv[argc - 1]) >= 0;
    return std::fclose(file) == 0 && written ? 0 : 1;
}
