// Win32 files: paths go to the system unchanged.
#include <windows.h>
#include <winioctl.h>

#include <fcntl.h>
#include <io.h>

#include "platform/os/drive_map.h"
#include "platform/os/os.h"

namespace os {

namespace {
int64_t unixSeconds(const FILETIME& ft) {
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    // 100 ns ticks since 1601.
    return static_cast<int64_t>(u.QuadPart / 10000000ULL) - 11644473600LL;
}
}  // namespace

std::vector<DriveMapping> driveMap() { return {}; }
bool driveRoot(char, std::string&) { return false; }

std::string hostPath(const std::string& winPath) { return winPath; }
std::string windowsPath(const std::string& hostPath) { return hostPath; }

FILE* openFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

FILE* createNewFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    FILE* f = _fdopen(fd, "wb");
    if (!f) _close(fd);
    return f;
}

bool statPath(const std::string& path, FileStat& out) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    out = FileStat{};
    out.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out.isRegular = !out.isDirectory && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
    out.size = out.isDirectory ? 0 : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    out.modified = unixSeconds(data.ftLastWriteTime);
    out.linkCount = 1;
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info;
        if (GetFileInformationByHandle(h, &info) && info.nNumberOfLinks > 0) out.linkCount = info.nNumberOfLinks;
        CloseHandle(h);
    }
    return true;
}

bool listFolder(const std::string& folder, std::vector<DirEntry>& out) {
    out.clear();
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/' && pattern.back() != ':') pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        DirEntry e;
        e.name = fd.cFileName;
        e.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        e.size = e.isDirectory ? 0 : (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        out.push_back(e);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return true;
}

std::string currentDirectory() {
    DWORD n = GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return std::string();
    std::string buf(n, '\0');
    n = GetCurrentDirectoryA(static_cast<DWORD>(buf.size()), buf.data());
    buf.resize(n);
    if (buf.size() > 3 && buf.back() == '\\') buf.pop_back();
    return buf;
}

bool setCurrentDirectory(const std::string& path) { return SetCurrentDirectoryA(path.c_str()) != 0; }

bool copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    return CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != 0;
}

bool deleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool moveFile(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

bool renameFolder(const std::string& from, const std::string& to) { return MoveFileExA(from.c_str(), to.c_str(), 0) != 0; }

bool createDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool removeDirectory(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

bool freeDiskSpace(const std::string& root, uint64_t& freeBytes) {
    ULARGE_INTEGER avail, total, totalFree;
    if (!GetDiskFreeSpaceExA(root.c_str(), &avail, &total, &totalFree)) return false;
    freeBytes = avail.QuadPart;
    return true;
}

bool createSparseFile(const std::string& path, uint64_t size) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD unused = 0;
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);   // where it cannot: plain zeros
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool ok = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok;
}

std::string tempFolder() {
    char buf[MAX_PATH + 2];
    DWORD n = GetTempPathA(sizeof buf, buf);
    std::string out = (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string("C:\\");
    if (out.back() != '\\') out += '\\';
    return out;
}

std::string windowsFolder() {
    char buf[MAX_PATH + 1];
    UINT n = GetWindowsDirectoryA(buf, sizeof buf);
    return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string("C:\\windows");
}

std::string systemFolder() {
    char buf[MAX_PATH + 1];
    UINT n = GetSystemDirectoryA(buf, sizeof buf);
    return (n > 0 && n < sizeof buf) ? std::string(buf, n) : windowsFolder() + "\\system32";
}

std::string executablePath() {
    std::string buf(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::string();
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

}  // namespace os
