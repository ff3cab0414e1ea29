// The registry: real on Win32 (advapi32), emulated natively in memory and,
// when BUNDLEWRIGHT_REGISTRY names a folder, persisted there as one file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace os {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Value types as the registry stores them (values match the Win32 REG_* codes).
enum class RegType : uint32_t { None = 0, String = 1, ExpandString = 2, Binary = 3, Dword = 4, MultiString = 7 };

struct RegValue {
    RegType type = RegType::None;
    std::vector<uint8_t> data;          // raw bytes; strings include their NUL
    std::string asString() const;       // up to the first NUL
    static RegValue string(const std::string& s, RegType t = RegType::String);
    static RegValue dword(uint32_t v);
};

// An open key; closes itself. Invalid when opening failed.
class RegKey {
public:
    RegKey() = default;
    ~RegKey();
    RegKey(RegKey&& other) noexcept;
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    static RegKey open(RegRoot root, const std::string& subKey);     // existing keys only
    static RegKey create(RegRoot root, const std::string& subKey);   // makes every missing level
    // Whether this user may make subkeys and set values under an existing key.
    static bool writable(RegRoot root, const std::string& subKey);

    bool valid() const { return handle_ != 0; }
    bool query(const std::string& name, RegValue& out) const;      // "" is the default value
    bool set(const std::string& name, const RegValue& value);
    bool deleteValue(const std::string& name);
    // Deletes a subkey that has no subkeys of its own (RegDeleteKeyA semantics).
    bool deleteSubKey(const std::string& name);
    std::vector<std::string> subKeys() const;
    std::vector<std::string> valueNames() const;

private:
    explicit RegKey(uintptr_t h) : handle_(h) {}
    uintptr_t handle_ = 0;
};

// Native emulation only: forget every key (tests start from an empty registry).
void resetEmulatedRegistry();

}  // namespace os
