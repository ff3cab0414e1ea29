// A small program for the packages of the end-to-end test: started with a
// file name, it writes "ran" and its other arguments into that file (the
// pre-uninstallation program's trace); without arguments it does nothing
// (the service's executable, never started).
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) return 0;
    FILE* f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    std::fputs("ran", f);
    for (int i = 2; i < argc; ++i) std::fprintf(f, " %s", argv[i]);
    return std::fclose(f) == 0 ? 0 : 1;
}
