// The native registry: a tree in memory with Windows' case-insensitive names,
// persisted through store.h when BUNDLEWRIGHT_REGISTRY is set.
#include "platform/os/registry.h"

#include "platform/os/native/store.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace os {

namespace {

std::string lower(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

struct Node {
    std::string name;                                     // as first created
    std::map<std::string, std::unique_ptr<Node>> kids;    // by lower-case name: Windows lists them sorted
    std::vector<std::pair<std::string, RegValue>> values; // in the order they were set
};

constexpr int kRoots = 5;
const char* const kRootNames[kRoots] = {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"};

struct Tree {
    Node roots[kRoots];
};

struct Handle {
    int root;
    std::vector<std::string> path;   // lower-case components
};

std::mutex g_mutex;
Tree g_tree;
std::map<uintptr_t, Handle> g_handles;
uintptr_t g_nextHandle = 1;

std::vector<std::string> splitKey(const std::string& subKey) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i <= subKey.size()) {
        size_t j = subKey.find('\\', i);
        if (j == std::string::npos) j = subKey.size();
        if (j > i) out.push_back(subKey.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

std::string registryFile(const std::string& folder) { return folder + "/registry.txt"; }

void load(const std::string& folder) {
    for (Node& r : g_tree.roots) r = Node{};
    std::vector<std::string> lines;
    if (!store::readLines(registryFile(folder), lines)) return;
    Node* current = nullptr;
    for (const std::string& line : lines) {
        std::vector<std::string> f = store::fields(line);
        if (f.size() == 3 && f[0] == "K") {
            int root = -1;
            for (int i = 0; i < kRoots; ++i)
                if (f[1] == kRootNames[i]) root = i;
            current = nullptr;
            if (root < 0) continue;
            current = &g_tree.roots[root];
            for (const std::string& part : splitKey(store::unescape(f[2]))) {
                auto& slot = current->kids[lower(part)];
                if (!slot) {
                    slot = std::make_unique<Node>();
                    slot->name = part;
                }
                current = slot.get();
            }
        } else if (f.size() == 4 && f[0] == "V" && current) {
            RegValue v;
            v.type = static_cast<RegType>(std::stoul(f[2]));
            v.data = store::unhex(f[3]);
            current->values.emplace_back(store::unescape(f[1]), v);
        }
    }
}

void saveNode(const Node& n, int root, const std::string& path, std::vector<std::string>& lines) {
    lines.push_back("K " + std::string(kRootNames[root]) + " " + store::escape(path));
    for (const auto& [name, v] : n.values)
        lines.push_back("V " + store::escape(name) + " " + std::to_string(static_cast<uint32_t>(v.type)) + " " +
                        store::hex(v.data));
    for (const auto& [key, kid] : n.kids) saveNode(*kid, root, path.empty() ? kid->name : path + "\\" + kid->name, lines);
}

bool save(const std::string& folder) {
    std::vector<std::string> lines{"bw-registry 1"};
    for (int r = 0; r < kRoots; ++r) saveNode(g_tree.roots[r], r, "", lines);
    return store::writeLines(registryFile(folder), lines);
}

// Runs one registry call: loads the shared file first and saves it after a change.
template <class F>
auto transact(F&& f) {
    std::lock_guard<std::mutex> guard(g_mutex);
    std::string folder = store::folder();
    store::Lock lock(folder);
    if (!folder.empty()) load(folder);
    bool changed = false;
    auto result = f(changed);
    if (changed && !folder.empty() && !save(folder)) return decltype(result){};
    return result;
}

Node* find(int root, const std::vector<std::string>& lowerPath) {
    Node* n = &g_tree.roots[root];
    for (const std::string& p : lowerPath) {
        auto it = n->kids.find(p);
        if (it == n->kids.end()) return nullptr;
        n = it->second.get();
    }
    return n;
}

Node* handleNode(uintptr_t h) {
    auto it = g_handles.find(h);
    if (it == g_handles.end()) return nullptr;
    return find(it->second.root, it->second.path);
}

uintptr_t newHandle(int root, const std::vector<std::string>& parts) {
    Handle h{root, {}};
    for (const std::string& p : parts) h.path.push_back(lower(p));
    uintptr_t id = g_nextHandle++;
    g_handles[id] = h;
    return id;
}

}  // namespace

RegKey::~RegKey() {
    if (handle_) {
        std::lock_guard<std::mutex> guard(g_mutex);
        g_handles.erase(handle_);
    }
}

RegKey::RegKey(RegKey&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        RegKey gone(std::move(*this));
        handle_ = other.handle_;
        other.handle_ = 0;
    }
    return *this;
}

RegKey RegKey::open(RegRoot root, const std::string& subKey) {
    int r = static_cast<int>(root);
    std::vector<std::string> parts = splitKey(subKey);
    uintptr_t h = transact([&](bool&) -> uintptr_t {
        std::vector<std::string> lp;
        for (const std::string& p : parts) lp.push_back(lower(p));
        if (!find(r, lp)) return 0;
        return newHandle(r, parts);
    });
    return RegKey(h);
}

// The emulation has no permissions: every key there is this user's.
bool RegKey::writable(RegRoot root, const std::string& subKey) { return open(root, subKey).valid(); }

RegKey RegKey::create(RegRoot root, const std::string& subKey) {
    int r = static_cast<int>(root);
    std::vector<std::string> parts = splitKey(subKey);
    uintptr_t h = transact([&](bool& changed) -> uintptr_t {
        Node* n = &g_tree.roots[r];
        for (const std::string& p : parts) {
            auto& slot = n->kids[lower(p)];
            if (!slot) {
                slot = std::make_unique<Node>();
                slot->name = p;
                changed = true;
            }
            n = slot.get();
        }
        return newHandle(r, parts);
    });
    return RegKey(h);
}

bool RegKey::query(const std::string& name, RegValue& out) const {
    return transact([&](bool&) {
        Node* n = handleNode(handle_);
        if (!n) return false;
        std::string ln = lower(name);
        for (const auto& [vn, v] : n->values) {
            if (lower(vn) == ln) {
                out = v;
                return true;
            }
        }
        return false;
    });
}

bool RegKey::set(const std::string& name, const RegValue& value) {
    return transact([&](bool& changed) {
        Node* n = handleNode(handle_);
        if (!n) return false;
        changed = true;
        std::string ln = lower(name);
        for (auto& [vn, v] : n->values) {
            if (lower(vn) == ln) {
                v = value;
                return true;
            }
        }
        n->values.emplace_back(name, value);
        return true;
    });
}

bool RegKey::deleteValue(const std::string& name) {
    return transact([&](bool& changed) {
        Node* n = handleNode(handle_);
        if (!n) return false;
        std::string ln = lower(name);
        for (auto it = n->values.begin(); it != n->values.end(); ++it) {
            if (lower(it->first) == ln) {
                n->values.erase(it);
                changed = true;
                return true;
            }
        }
        return false;
    });
}

bool RegKey::deleteSubKey(const std::string& name) {
    std::vector<std::string> parts = splitKey(name);
    return transact([&](bool& changed) {
        Node* n = handleNode(handle_);
        if (!n || parts.empty()) return false;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            auto it = n->kids.find(lower(parts[i]));
            if (it == n->kids.end()) return false;
            n = it->second.get();
        }
        auto it = n->kids.find(lower(parts.back()));
        if (it == n->kids.end() || !it->second->kids.empty()) return false;
        n->kids.erase(it);
        changed = true;
        return true;
    });
}

std::vector<std::string> RegKey::subKeys() const {
    return transact([&](bool&) {
        std::vector<std::string> out;
        if (Node* n = handleNode(handle_))
            for (const auto& [key, kid] : n->kids) out.push_back(kid->name);
        return out;
    });
}

std::vector<std::string> RegKey::valueNames() const {
    return transact([&](bool&) {
        std::vector<std::string> out;
        if (Node* n = handleNode(handle_))
            for (const auto& [vn, v] : n->values) out.push_back(vn);
        return out;
    });
}

void resetEmulatedRegistry() {
    transact([&](bool& changed) {
        for (Node& r : g_tree.roots) r = Node{};
        changed = true;
        return true;
    });
}

}  // namespace os
