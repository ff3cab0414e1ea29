// config.mnu as start-up reads it, and the option hub walking the pages its
// flags switch on. The input's first bytes are the file; the rest, one bit a
// step, say Next or Back. Flags read, written and read again are the same;
// the hub shows only enabled pages, in rising order, and Back always returns
// to the page shown before.
#include <cstdio>

#include "pages/panel_config.h"
#include "platform/os/os.h"
#include "tests/fuzz/common/fuzz.h"
#include "tests/fuzz/common/temp_folder.h"
#include "wizard/startup.h"

namespace {

const std::string& configPath() {
    static const std::string p = os::windowsPath(bwfuzz::tempFolder().host()) + "\\config.mnu";
    return p;
}

void writeBytes(const std::string& bytes) {
    FILE* f = os::openFile(configPath(), "wb");
    BW_FUZZ_CHECK(f != nullptr);
    BW_FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    BW_FUZZ_CHECK(std::fclose(f) == 0);
}

std::string readBytes() {
    FILE* f = os::openFile(configPath(), "rb");
    BW_FUZZ_CHECK(f != nullptr);
    std::string all;
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
    std::fclose(f);
    return all;
}

void walk(const int flags[7], const std::string& steps) {
    pages::HubSequence hub(std::span<const int, 7>(flags, 7));
    std::vector<int> shown{pages::HubSequence::kFileList};   // what Back must return to, in order
    int page = hub.first();
    for (size_t bit = 0; bit < steps.size() * 8 && bit < 512; ++bit) {
        BW_FUZZ_CHECK(page == pages::HubSequence::kOutputLocation || (page >= 0 && page < 7 && flags[page] == 1));
        BW_FUZZ_CHECK(page > shown.back());
        BW_FUZZ_CHECK(hub.historyCount() >= 1 && hub.historyCount() <= pages::HubSequence::kHistoryCapacity);
        shown.push_back(page);
        const bool back = (static_cast<unsigned char>(steps[bit / 8]) >> (bit % 8)) & 1;
        const bool fromOutput = page == pages::HubSequence::kOutputLocation;
        page = hub.ended(back);
        if (back) {
            shown.pop_back();
            BW_FUZZ_CHECK(page == shown.back());
            shown.pop_back();
        } else if (fromOutput) {
            BW_FUZZ_CHECK(page == pages::HubSequence::kFileList);
        }
        if (page == pages::HubSequence::kFileList) {   // the file list page's Next starts the hub again
            shown.assign(1, pages::HubSequence::kFileList);
            page = hub.first();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const size_t fileSize = size ? data[0] % 12 : 0;
    const std::string file = bwfuzz::bytes(data + (size ? 1 : 0), std::min(fileSize, size ? size - 1 : 0));
    const std::string steps = bwfuzz::bytes(data + (size ? 1 : 0) + file.size(), size - (size ? 1 : 0) - file.size());

    writeBytes(file);
    int flags[wizard::kPanelFlagCount];
    wizard::readPanelFlags(configPath(), flags);
    const std::string after = readBytes();
    if (file.size() >= 7) {
        BW_FUZZ_CHECK(after == file);   // a longer file is left as it is
        for (int i = 0; i < 7; ++i)
            BW_FUZZ_CHECK(flags[i] == (file[i] >= '0' && file[i] <= '9' ? file[i] - '0' : 0));
    } else {
        BW_FUZZ_CHECK(after == wizard::kDefaultPanelConfig);
        for (int i = 0; i < 7; ++i) BW_FUZZ_CHECK(flags[i] == wizard::kDefaultPanelFlags[i]);
    }
    pages::writePanelConfig(configPath(), std::span<const int, 7>(flags, 7));
    BW_FUZZ_CHECK(readBytes().size() == 7);
    int again[wizard::kPanelFlagCount];
    wizard::readPanelFlags(configPath(), again);
    for (int i = 0; i < 7; ++i) BW_FUZZ_CHECK(again[i] == flags[i]);

    walk(flags, steps);

    const wizard::LaunchRequest launch = wizard::parseLaunchCommandLine(bwfuzz::bytes(data, size));
    BW_FUZZ_CHECK(launch.project_opened == 0 || launch.project_opened == 1 || launch.project_opened == 2);
    BW_FUZZ_CHECK(launch.project_opened == 1 || launch.project_path.empty());
    return 0;
}

void bwfuzz::seeds(std::vector<std::string>& out) {
    out = {std::string("\x07") + "1011000" + "\x00\x01\x02",  // the default flags, Next, Back, ...
           std::string("\x07") + "1111111" + "\x55\xaa\xff\x00",
           std::string("\x07") + "0000000" + "\x01",
           std::string("\x0b") + "1x9-111" + "more" + "\x33",
           std::string("\x03") + "101",
           "\"C:\\Program Files\\Bundlewright\\bin\\Tarnwick.exe\" \"C:\\projects\\rocket one.wzp\""};
}
