// The crash test's writer: saves the two versions of the files in turn, forever, and writes one
// byte to its standard output after every whole save. The test kills it with SIGKILL.

#include <unistd.h>

#include <cstdio>
#include <exception>

#include "crash/CrashSave.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    try {
        for (int save = 0;; ++save) {
            quillory::test::SaveVersion(argv[1], save % 2);
            if (::write(STDOUT_FILENO, "s", 1) != 1) return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "save failed: %s\n", error.what());
        return 1;
    }
}
