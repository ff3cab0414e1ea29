#include "pages/panel_config.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/unit/pages/pages_tree.h"

namespace {

using pagestest::Tree;
using pagestest::readFile;

TEST(PanelConfig, SevenDigitsWithoutLineEnd) {
    Tree t;
    pagestest::writeFile(t.path("config.mnu"), "0000000\r\nleftover");
    std::array<int, 7> all{1, 1, 1, 1, 1, 1, 1};
    pages::writePanelConfig(t.path("config.mnu"), all);
    EXPECT_EQ(readFile(t.path("config.mnu")), "1111111");
    EXPECT_EQ(pages::formatPanelFlags(std::array<int, 7>{1, 0, 1, 1, 0, 0, 0}), pages::kDefaultPanelFlags);
    EXPECT_EQ(pages::formatPanelFlags(std::array<int, 7>{2, 1, 1, 1, 1, 1, 1}), "2111111");
    pages::writePanelConfig(t.path("no\\config.mnu"), all);   // silent
}

// Drives a hub sequence: `script` gives, per page shown, true for Back.
std::vector<int> shown(std::array<int, 7> flags, std::vector<bool> script, bool (*available)(int) = nullptr) {
    pages::HubSequence hub(flags, available);
    std::vector<int> pages;
    int e = hub.first();
    for (bool back : script) {
        pages.push_back(e);
        e = hub.ended(back);
        if (e == pages::HubSequence::kFileList) break;
    }
    pages.push_back(e);
    return pages;
}

TEST(HubSequence, PagesAndBackSteps) {
    const int F = pages::HubSequence::kFileList;
    struct Case {
        const char* name;
        std::array<int, 7> flags;
        std::vector<bool> backs;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {"default flags forward", {1, 0, 1, 1, 0, 0, 0}, {false, false, false}, {0, 2, 3, 7}},
        {"back on the second page reruns the first", {1, 0, 1, 1, 0, 0, 0}, {false, true, false}, {0, 2, 0, 2}},
        {"back on the first page", {1, 0, 1, 1, 0, 0, 0}, {true}, {0, F}},
        {"no flags: output location then file list", {0, 0, 0, 0, 0, 0, 0}, {true}, {7, F}},
        {"first flag 2 is skipped", {2, 1, 1, 1, 1, 1, 1}, {false, false, false, false, false, false},
         {1, 2, 3, 4, 5, 6, 7}},
        {"flags 1 and 3 back and forth", {1, 0, 1, 0, 0, 0, 0}, {false, false, true, true, false},
         {0, 2, 7, 2, 0, 2}},
        {"all the way back", {1, 1, 1, 1, 1, 1, 1},
         {false, false, false, false, false, false, false, true, true, true, true, true, true, true, true},
         {0, 1, 2, 3, 4, 5, 6, 7, 6, 5, 4, 3, 2, 1, 0, F}},
    };
    for (const Case& c : cases) EXPECT_EQ(shown(c.flags, c.backs), c.pages) << c.name;
}

TEST(HubSequence, HistoryBeforeTheStepBack) {
    pages::HubSequence hub(std::array<int, 7>{1, 0, 1, 1, 0, 0, 0});
    EXPECT_EQ(hub.historyCount(), 1);
    EXPECT_EQ(hub.historyAt(0), -1);
    hub.first();
    hub.ended(false);
    hub.ended(false);
    ASSERT_EQ(hub.current(), 3);
    EXPECT_EQ(hub.ended(true), 2);
    // -1, 0, 2, 3 were held before the count dropped by 2.
    EXPECT_EQ(hub.historyCount(), 2);
    EXPECT_EQ(hub.historyAt(1), 0);
    EXPECT_EQ(hub.historyAt(2), 2);
    EXPECT_EQ(hub.historyAt(3), 3);
}

TEST(HubSequence, MissingPagesAreSkippedAndOutputLocationEndsSafely) {
    auto onlyFirst = [](int e) { return e == 0; };
    EXPECT_EQ(shown({1, 1, 1, 1, 1, 1, 1}, {false, true, true}, onlyFirst),
              (std::vector<int>{0, 7, 0, pages::HubSequence::kFileList}));
    // An output location page that ends without Back returns to the file list.
    EXPECT_EQ(shown({0, 0, 0, 0, 0, 0, 0}, {false}), (std::vector<int>{7, pages::HubSequence::kFileList}));
}

}  // namespace
