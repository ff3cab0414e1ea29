// The record an installation leaves beside its uninstall script
// ("Uninstall.wzr"): what the script's grammar cannot say. Which product owns
// the folder (one product to a folder, one folder to a product), what was
// there before and is put back by the uninstall (files and shortcuts kept
// aside in the folder "Uninstall.kept", registry values with their earlier
// data), and the values an append created, removed only when nothing but
// the product's own part is left in them.
//
// Bytes: NUL-terminated strings, kRecordHeader first and kRecordEnd last;
// between them records, each a tag and a fixed number of fields:
//   kProductTag  company, product name
//   kKeptTag     original full path, full path of the copy kept aside
//   kValueTag    root, key, value name, type (decimal), data (hex)
//   kAppendedTag root, key, value name
// Shared by install.exe (writes it, reads an earlier one) and UnBundlewright.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wzr {

inline constexpr char kRecordName[] = "Uninstall.wzr";
inline constexpr char kKeptFolder[] = "Uninstall.kept";
inline constexpr char kRecordHeader[] = "**BundlewrightRecord1**";
inline constexpr char kRecordEnd[] = "**EndRecord**";
inline constexpr char kProductTag[] = "product";
inline constexpr char kKeptTag[] = "kept";
inline constexpr char kValueTag[] = "value";
inline constexpr char kAppendedTag[] = "appended";

struct KeptFile {
    std::string original, copy;
};
struct KeptValue {
    std::string root, key, name;
    uint32_t type = 0;
    std::string data;
};
struct AppendedValue {
    std::string root, key, name;
};

struct InstallRecord {
    std::string company, product;
    std::vector<KeptFile> kept;
    std::vector<KeptValue> values;
    std::vector<AppendedValue> appended;

    bool sameProduct(const InstallRecord& other) const;
    // Whether `path` was kept aside already (an earlier installation's copy
    // of what was there before the product).
    bool keeps(const std::string& path) const;
    bool keepsValue(const std::string& root, const std::string& key, const std::string& name) const;
    bool appendedTo(const std::string& root, const std::string& key, const std::string& name) const;
    // Takes in an earlier installation's records (a repair or an upgrade).
    void mergeEarlier(const InstallRecord& earlier);
};

std::string renderRecord(const InstallRecord& record);
// False when `bytes` is not a whole record of ours (damaged, cut short, or
// another file): nothing of it may be used then.
bool parseRecord(const std::string& bytes, InstallRecord& out);

}  // namespace wzr
