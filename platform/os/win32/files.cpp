// Win32 files: paths go to the system unchanged.
#include <windows.h>
#include <winioctl.h>

#include <cstdio>
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

std::wstring wide(const std::string& ansi) {
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), n);
    return w;
}

// The ANSI bytes of a name, only when they give the very same name back: no
// best-fit look-alike, no default character.
bool ansiName(const std::wstring& w, std::string& out) {
    if (w.empty()) {
        out.clear();
        return true;
    }
    BOOL usedDefault = FALSE;
    const bool utf8 = GetACP() == CP_UTF8;   // takes neither the flag nor the question
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL* asked = utf8 ? nullptr : &usedDefault;
    const int len = static_cast<int>(w.size());
    const int n = WideCharToMultiByte(CP_ACP, flags, w.data(), len, nullptr, 0, nullptr, asked);
    if (n <= 0 || usedDefault) return false;
    out.assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, flags, w.data(), len, out.data(), n, nullptr, asked);
    return !usedDefault && wide(out) == w;
}

// A name the code page cannot hold, for a message: each character that does
// not convert as <U+65E5>.
std::string shownName(const std::wstring& w) {
    std::string out;
    for (size_t i = 0; i < w.size(); ++i) {
        size_t n = (w[i] >= 0xD800 && w[i] <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) ? 2 : 1;
        std::string one;
        if (ansiName(w.substr(i, n), one)) {
            out += one;
        } else {
            const unsigned cp = n == 2 ? 0x10000 + ((w[i] - 0xD800u) << 10) + (w[i + 1] - 0xDC00u) : w[i];
            char buf[16];
            std::snprintf(buf, sizeof buf, "<U+%04X>", cp);
            out += buf;
        }
        i += n - 1;
    }
    return out;
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
    // The wide listing: the ANSI one would give a name the code page cannot
    // hold as a look-alike or '?' that no program can open.
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(wide(pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        DirEntry e;
        const std::wstring name = fd.cFileName;
        if (!ansiName(name, e.name)) {
            e.name = shownName(name);
            e.nameHeld = false;
        }
        e.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        e.size = e.isDirectory ? 0 : (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        out.push_back(e);
    } while (FindNextFileW(h, &fd));
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

std::string codePageName() { return "Windows-" + std::to_string(GetACP()); }
std::string ansiFromHost(const std::string& text) { return text; }
std::string terminalText(const std::string& ansi) { return ansi; }

std::string ansiFromUtf8(const std::string& utf8) {
    if (utf8.empty()) return utf8;
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n <= 0 || !MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n))
        throw PathError("not UTF-8: " + utf8);
    BOOL lost = FALSE;
    const int m = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), n, nullptr, 0, nullptr, &lost);
    std::string out(static_cast<size_t>(m > 0 ? m : 0), '\0');
    if (m <= 0 || lost || !WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), n, &out[0], m, nullptr, &lost) || lost)
        throw PathError("the code page cannot hold " + utf8);
    return out;
}

std::string utf8Text(const std::string& ansi) {
    std::string out;
    const int n = ansi.empty() ? 0 : MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (n > 0) {
        std::wstring w(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &w[0], n);
        const int m = WideCharToMultiByte(CP_UTF8, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
        out.resize(static_cast<size_t>(m > 0 ? m : 0));
        if (m > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), n, &out[0], m, nullptr, nullptr);
        return out;
    }
    for (size_t at = 0; at < ansi.size(); ++at) {
        // One byte at a time: a byte the code page does not know shows as itself.
        wchar_t w[2];
        int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &ansi[at], 1, w, 2);
        char u[8];
        int m = n > 0 ? WideCharToMultiByte(CP_UTF8, 0, w, n, u, sizeof u, nullptr, nullptr) : 0;
        if (m > 0) {
            out.append(u, static_cast<size_t>(m));
        } else {
            char b[8];
            wsprintfA(b, "<0x%02X>", static_cast<unsigned char>(ansi[at]));
            out += b;
        }
    }
    return out;
}

bool validInCodePage(const std::string& ansi) {
    return ansi.empty() ||
           MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0) > 0;
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
