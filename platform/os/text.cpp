#include "platform/os/text.h"

#include <cstdio>

#include "platform/os/os.h"

namespace os {

bool readWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FILE* f = openFile(path, "rb");
    if (!f) return false;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
    FILE* f = openFile(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

}  // namespace os
