// The Win32 registry through advapi32.
#include <windows.h>

#include "platform/os/registry.h"

namespace os {

namespace {

HKEY rootKey(RegRoot root) {
    switch (root) {
        case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
        case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegRoot::Users: return HKEY_USERS;
        case RegRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CURRENT_USER;
}

HKEY hkey(uintptr_t h) { return reinterpret_cast<HKEY>(h); }

}  // namespace

RegKey::~RegKey() {
    if (handle_) RegCloseKey(hkey(handle_));
}

RegKey::RegKey(RegKey&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        if (handle_) RegCloseKey(hkey(handle_));
        handle_ = other.handle_;
        other.handle_ = 0;
    }
    return *this;
}

RegKey RegKey::open(RegRoot root, const std::string& subKey) {
    HKEY h = nullptr;
    LONG rc = RegOpenKeyExA(rootKey(root), subKey.c_str(), 0, KEY_ALL_ACCESS, &h);
    // A key the user may only read still opens for reading.
    if (rc == ERROR_ACCESS_DENIED) rc = RegOpenKeyExA(rootKey(root), subKey.c_str(), 0, KEY_READ, &h);
    if (rc != ERROR_SUCCESS) return RegKey();
    return RegKey(reinterpret_cast<uintptr_t>(h));
}

bool RegKey::writable(RegRoot root, const std::string& subKey) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(rootKey(root), subKey.c_str(), 0, KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

RegKey RegKey::create(RegRoot root, const std::string& subKey) {
    HKEY h = nullptr;
    DWORD disposition = 0;
    LONG rc = RegCreateKeyExA(rootKey(root), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &h, &disposition);
    if (rc != ERROR_SUCCESS) return RegKey();
    return RegKey(reinterpret_cast<uintptr_t>(h));
}

bool RegKey::query(const std::string& name, RegValue& out) const {
    if (!handle_) return false;
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(hkey(handle_), name.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return false;
    std::vector<uint8_t> data;
    for (int tries = 0; tries < 8; ++tries) {
        data.resize(size);
        DWORD got = size;
        rc = RegQueryValueExA(hkey(handle_), name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &got);
        if (rc == ERROR_SUCCESS) {
            data.resize(got);
            out.type = static_cast<RegType>(type);
            out.data = std::move(data);
            return true;
        }
        if (rc != ERROR_MORE_DATA) return false;
        size = got > size ? got : size * 2 + 16;
    }
    return false;
}

bool RegKey::set(const std::string& name, const RegValue& value) {
    if (!handle_) return false;
    return RegSetValueExA(hkey(handle_), name.c_str(), 0, static_cast<DWORD>(value.type),
                          value.data.empty() ? nullptr : value.data.data(),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool RegKey::deleteValue(const std::string& name) {
    if (!handle_) return false;
    return RegDeleteValueA(hkey(handle_), name.c_str()) == ERROR_SUCCESS;
}

bool RegKey::deleteSubKey(const std::string& name) {
    if (!handle_ || name.empty()) return false;
    // RegDeleteKeyA refuses keys with subkeys on NT; check first so every
    // system behaves alike.
    HKEY sub = nullptr;
    if (RegOpenKeyExA(hkey(handle_), name.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) return false;
    DWORD subKeys = 0;
    LONG rc = RegQueryInfoKeyA(sub, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
    RegCloseKey(sub);
    if (rc != ERROR_SUCCESS || subKeys > 0) return false;
    return RegDeleteKeyA(hkey(handle_), name.c_str()) == ERROR_SUCCESS;
}

namespace {
// Names of subkeys (values = false) or values of an open key, growing the
// buffer when a name is longer than the key reported.
std::vector<std::string> enumerateNames(HKEY key, bool values) {
    std::vector<std::string> out;
    DWORD count = 0, maxKey = 0, maxValue = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &maxKey, nullptr, nullptr, &maxValue, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return out;
    std::string buf((values ? maxValue : maxKey) + 2, '\0');
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(buf.size());
        LONG rc = values ? RegEnumValueA(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr)
                         : RegEnumKeyExA(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) {
            buf.resize(buf.size() * 2);
            --i;
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        out.emplace_back(buf.data(), len);
    }
    return out;
}
}  // namespace

std::vector<std::string> RegKey::subKeys() const {
    return handle_ ? enumerateNames(hkey(handle_), false) : std::vector<std::string>{};
}

std::vector<std::string> RegKey::valueNames() const {
    return handle_ ? enumerateNames(hkey(handle_), true) : std::vector<std::string>{};
}

// The real registry is never emptied.
void resetEmulatedRegistry() {}

}  // namespace os
