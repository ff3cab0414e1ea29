#include "wizard/summary_text.h"

#include <cstdio>

namespace wizard {

std::string formatByteCount(double bytes) {
    char digits[400];
    std::snprintf(digits, sizeof digits, "%0.0f", bytes);
    std::string in = digits;
    const std::size_t sign = !in.empty() && in[0] == '-' ? 1 : 0;
    std::string out = in.substr(0, sign);
    const std::size_t n = in.size() - sign;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += in[sign + i];
    }
    return out;
}

std::string summaryText(const SummaryValues& v) {
    return "Summary for \t\t" + v.product_name + "\r\n\r\nOutput \t\t\t" + v.output_text +
           "\r\n\r\nProjectfile \t\t" + v.project_text + "\r\n\r\nSource files folder \t\t" + v.source_folder +
           "\r\n\r\nSpace required \t\t" + formatByteCount(v.required_space) + " Bytes.";
}

}  // namespace wizard
