// The record's slots cut on assignment and a new record starts empty.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "wizard/project_record.h"

using wizard::FixedText;
using wizard::ProjectRecord;

TEST(FixedText, CutsEveryAssignmentToItsCapacity) {
    struct Case { std::string in; std::size_t want; };
    for (const Case& c : {Case{"", 0}, Case{"abc", 3}, Case{std::string(10, 'v'), 10},
                          Case{std::string(11, 'v'), 10}, Case{std::string(300, 'v'), 10}}) {
        FixedText<11> t;
        t = c.in;
        EXPECT_EQ(t.size(), c.want) << c.in;
        EXPECT_EQ(t.view(), c.in.substr(0, c.want));
        t = c.in.c_str();
        EXPECT_EQ(t.size(), c.want);
    }
    FixedText<4> t("abc");
    t = static_cast<const char*>(nullptr);
    EXPECT_TRUE(t.empty());
    t.assign(std::string_view("ab\0cd", 5));
    EXPECT_EQ(t, "ab");
}

TEST(FixedText, BufferKeepsItsTerminator) {
    FixedText<4> t;
    char* b = t.buffer();
    for (int i = 0; i < 3; ++i) b[i] = 'x';
    EXPECT_EQ(t.size(), 3u);
}

TEST(ProjectRecord, NewRecordIsEmptyAndCutsLongTexts) {
    auto r = std::make_unique<ProjectRecord>();
    // No program chosen, not the lists' first row.
    EXPECT_EQ(r->post_install_choice, -1);
    EXPECT_EQ(r->pre_uninstall_choice, -1);
    EXPECT_EQ(r->pre_install_choice, -1);
    EXPECT_EQ(r->language_index, 0);
    EXPECT_TRUE(r->company_name.empty());
    EXPECT_FALSE(r->services_text.has_value());
    EXPECT_FALSE(r->registry_text.has_value());
    EXPECT_TRUE(r->registry_root[39].empty());
    r->comments = std::string(300, 'c');
    EXPECT_EQ(r->comments.size(), 250u);
    r->password = "0123456789abcdefgh";
    EXPECT_EQ(r->password, "0123456789abcde");
    r->registry_text = "x";
    r->services_text = "s";
    r->freeBuildTexts();
    EXPECT_FALSE(r->registry_text.has_value());
    EXPECT_TRUE(r->services_text.has_value());
}
