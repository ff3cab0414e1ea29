#include "platform/os/install_record.h"

#include "platform/os/text.h"

namespace wzr {

namespace {
bool sameValue(const std::string& r1, const std::string& k1, const std::string& n1, const std::string& r2,
               const std::string& k2, const std::string& n2) {
    return os::equalsNoCase(r1, r2) && os::equalsNoCase(k1, k2) && os::equalsNoCase(n1, n2);
}
const char kHex[] = "0123456789abcdef";
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

bool InstallRecord::sameProduct(const InstallRecord& other) const {
    return os::equalsNoCase(company, other.company) && os::equalsNoCase(product, other.product);
}

bool InstallRecord::keeps(const std::string& path) const {
    for (const KeptFile& k : kept)
        if (os::equalsNoCase(k.original, path)) return true;
    return false;
}

bool InstallRecord::keepsValue(const std::string& root, const std::string& key, const std::string& name) const {
    for (const KeptValue& v : values)
        if (sameValue(v.root, v.key, v.name, root, key, name)) return true;
    return false;
}

bool InstallRecord::appendedTo(const std::string& root, const std::string& key, const std::string& name) const {
    for (const AppendedValue& v : appended)
        if (sameValue(v.root, v.key, v.name, root, key, name)) return true;
    return false;
}

void InstallRecord::mergeEarlier(const InstallRecord& earlier) {
    // The earlier installation saw the machine before the product: its
    // copies are the ones to give back.
    std::vector<KeptFile> files = earlier.kept;
    for (const KeptFile& k : kept)
        if (!earlier.keeps(k.original)) files.push_back(k);
    kept = std::move(files);
    std::vector<KeptValue> data = earlier.values;
    for (const KeptValue& v : values)
        if (!earlier.keepsValue(v.root, v.key, v.name)) data.push_back(v);
    values = std::move(data);
    for (const AppendedValue& v : earlier.appended)
        if (!appendedTo(v.root, v.key, v.name)) appended.push_back(v);
}

std::string renderRecord(const InstallRecord& r) {
    std::string out;
    auto put = [&out](const std::string& s) {
        out += s;
        out.push_back('\0');
    };
    put(kRecordHeader);
    put(kProductTag);
    put(r.company);
    put(r.product);
    for (const KeptFile& k : r.kept) {
        put(kKeptTag);
        put(k.original);
        put(k.copy);
    }
    for (const KeptValue& v : r.values) {
        std::string hex;
        for (unsigned char c : v.data) {
            hex.push_back(kHex[c >> 4]);
            hex.push_back(kHex[c & 15]);
        }
        put(kValueTag);
        put(v.root);
        put(v.key);
        put(v.name);
        put(std::to_string(v.type));
        put(hex);
    }
    for (const AppendedValue& v : r.appended) {
        put(kAppendedTag);
        put(v.root);
        put(v.key);
        put(v.name);
    }
    put(kRecordEnd);
    return out;
}

bool parseRecord(const std::string& bytes, InstallRecord& out) {
    std::vector<std::string> s;
    size_t pos = 0;
    for (size_t at; (at = bytes.find('\0', pos)) != std::string::npos; pos = at + 1) s.push_back(bytes.substr(pos, at - pos));
    if (pos != bytes.size() || s.empty() || s[0] != kRecordHeader) return false;
    InstallRecord r;
    bool product = false;
    size_t i = 1;
    auto take = [&](size_t n) { return i + n < s.size(); };   // n fields and still an end after them
    while (i < s.size() && s[i] != kRecordEnd) {
        const std::string& tag = s[i];
        if (tag == kProductTag && take(2)) {
            r.company = s[i + 1];
            r.product = s[i + 2];
            product = true;
            i += 3;
        } else if (tag == kKeptTag && take(2)) {
            r.kept.push_back({s[i + 1], s[i + 2]});
            i += 3;
        } else if (tag == kValueTag && take(5)) {
            KeptValue v{s[i + 1], s[i + 2], s[i + 3], 0, {}};
            const std::string &type = s[i + 4], &hex = s[i + 5];
            if (type.empty() || type.size() > 9 || hex.size() % 2) return false;
            for (char c : type) {
                if (c < '0' || c > '9') return false;
                v.type = v.type * 10 + static_cast<uint32_t>(c - '0');
            }
            for (size_t k = 0; k < hex.size(); k += 2) {
                int hi = hexDigit(hex[k]), lo = hexDigit(hex[k + 1]);
                if (hi < 0 || lo < 0) return false;
                v.data.push_back(static_cast<char>(hi * 16 + lo));
            }
            r.values.push_back(std::move(v));
            i += 6;
        } else if (tag == kAppendedTag && take(3)) {
            r.appended.push_back({s[i + 1], s[i + 2], s[i + 3]});
            i += 4;
        } else {
            return false;
        }
    }
    // Exactly one end, last; and the product named.
    if (i + 1 != s.size() || !product) return false;
    out = std::move(r);
    return true;
}

}  // namespace wzr
