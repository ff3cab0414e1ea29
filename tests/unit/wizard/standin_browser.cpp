// A stand-in browser for the Help tests under Wine: writes the command line
// it was started with, as the system gave it, into the file named by
// BW_STANDIN_RECORD (written aside and renamed, so a reader never sees half).
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char record[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("BW_STANDIN_RECORD", record, sizeof record);
    if (n == 0 || n >= sizeof record) return 1;
    const std::string part = std::string(record) + ".part";
    FILE* f = std::fopen(part.c_str(), "wb");
    if (!f) return 1;
    std::fputs(GetCommandLineA(), f);
    if (std::fclose(f) != 0) return 1;
    return MoveFileExA(part.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
