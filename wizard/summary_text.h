// The texts of the summary page.
#pragma once

#include <string>

namespace wizard {

// A byte count as the summary shows it: "%0.0f", then "," before every group
// of three digits from the right (999, 1,000, 1,234,567).
std::string formatByteCount(double bytes);

struct SummaryValues {
    std::string product_name;
    std::string output_text;
    std::string project_text;
    std::string source_folder;
    double required_space = 0;
};

// The summary text, tabs and CR LF as the page shows it.
std::string summaryText(const SummaryValues& v);

}  // namespace wizard
