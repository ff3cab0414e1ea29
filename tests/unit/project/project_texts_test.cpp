// Plain project file fields: which texts the format cannot carry.
#include <gtest/gtest.h>

#include <string>

#include "wizard/project_file_texts.h"

using namespace wizard;

TEST(PlainField, Faults) {
    struct Case { std::string text; std::size_t maxLine; TextFault want; };
    const Case cases[] = {
        {"Acme Corp", 259, TextFault::None},
        {"", 259, TextFault::None},
        {"Ac`me", 259, TextFault::Backquote},
        {"`", 259, TextFault::Backquote},
        {"start2", 259, TextFault::MarkerWord},
        {"START12", 259, TextFault::MarkerWord},
        {"start13", 259, TextFault::None},
        {"start0", 259, TextFault::None},
        {"start", 259, TextFault::None},
        {"Restart2", 259, TextFault::None},
        {"start2 now", 259, TextFault::None},
        {std::string(259, 'x'), 259, TextFault::None},
        {std::string(260, 'x'), 259, TextFault::TooLong},
        {std::string(200, 'x') + "\r\n" + std::string(200, 'y'), 259, TextFault::None},
        {std::string(11, 'v'), 10, TextFault::TooLong},
    };
    for (const Case& c : cases)
        EXPECT_EQ(plainFieldFault(c.text, c.maxLine), c.want) << c.text.substr(0, 20) << " " << c.text.size();
}

TEST(PlainField, MessagesNameTheField) {
    EXPECT_EQ(plainFieldMessage("Company Name", TextFault::None), "");
    for (TextFault f : {TextFault::Backquote, TextFault::MarkerWord, TextFault::TooLong})
        EXPECT_EQ(plainFieldMessage("Company Name", f).rfind("The Company Name cannot ", 0), 0u);
    EXPECT_NE(plainFieldMessage("Source Folder", TextFault::TooLong).find("259"), std::string::npos);
}
