// tollund-md5 FILE...: prints each file's digest as md5sum does, through CMD5::DigestFile.
#include <tollund/CMD5.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    CMD5 md5;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        std::string digest;
        if (md5.DigestFile(argv[i], digest) == 0) {
            std::fprintf(stderr, "tollund-md5: cannot read %s\n", argv[i]);
            status = 1;
            continue;
        }
        std::printf("%s  %s\n", digest.c_str(), argv[i]);
    }
    return status;
}
