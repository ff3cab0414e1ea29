// Widget's post-installation program: started by the installer with the
// installation folder as its argument, it leaves a note of the installation
// in the user's temp folder (outside the installation, so the uninstaller has
// nothing of it to remove) and ends.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* temp = std::getenv("TEMP");
    if (!temp || !*temp) return 1;
    const std::string note = std::string(temp) + "\\Widget-first-run.txt";
    FILE* f = std::fopen(note.c_str(), "wb");
    if (!f) return 1;
    std::fprintf(f, "Widget 1.0 is ready in %s\r\n", argc > 1 ? argv[1] : "(no folder given)");
    return std::fclose(f) == 0 ? 0 : 1;
}
