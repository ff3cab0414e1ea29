// The project file writer and loader (layout in project_file_format.h).
#include "wizard/project_file.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/os/os.h"
#include "platform/os/text.h"
#include "wizard/project_file_format.h"
#include "wizard/registry_lines.h"

namespace wizard {
namespace {

using namespace wzp;

std::string blankIfEmpty(std::string_view s) { return s.empty() ? std::string(kBlank) : std::string(s); }

// The whole lines (each ending in a line break) of a working file, or " "
// when it cannot be opened or yields no line, so no section ever shifts.
std::string embeddedFile(const std::string& path) {
    FILE* f = os::openFile(path, "rb");
    if (!f) return kBlank;
    std::string all;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
    std::fclose(f);
    std::size_t lastBreak = all.rfind('\n');
    if (lastBreak == std::string::npos) return kBlank;
    all.resize(lastBreak + 1);
    return all;
}

// A command line the separator follows: one that ends in the separator's
// first characters would make the reader find the separator inside it and
// shift the texts after it, so it is written as the blank of an empty text.
std::string carriedBeforeSeparator(std::string_view text) {
    const std::string joined = std::string(text) + kTextSeparator;
    if (joined.find(kTextSeparator) != text.size()) return kBlank;
    return blankIfEmpty(text);
}

std::string rawOrBlank(const HeapText& t) { return t && !t->empty() ? *t : std::string(kBlank); }

// The Windows text stream on writing: every LF becomes CR LF.
std::string toTextStream(const std::string& s) {
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The Windows text stream on reading: each CR LF pair becomes LF.
std::string fromTextStream(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
        out += s[i];
    }
    return out;
}

struct Fault {};   // a "p1 2 2" fault: stop loading, keep what was stored

class Reader {
public:
    explicit Reader(std::string text) : s_(std::move(text)) {}

    bool next(std::string& tok) {
        while (pos_ < s_.size() && s_[pos_] == kFieldSeparator) ++pos_;
        if (pos_ >= s_.size()) return false;
        std::size_t end = s_.find(kFieldSeparator, pos_);
        if (end == std::string::npos) end = s_.size();
        tok.assign(s_, pos_, end - pos_);
        pos_ = end;
        return true;
    }
    // Tokens until one equals `marker`; false when they run out first.
    bool skipTo(const char* marker) {
        std::string t;
        while (next(t))
            if (os::equalsNoCase(t, marker)) return true;
        return false;
    }
    // The raw text from just after the current separator up to the token
    // BQ marker BQ (or at the end), without that closing BQ; the reader then
    // stands after the marker.
    std::string raw(const char* marker) {
        std::size_t from = pos_ < s_.size() && s_[pos_] == kFieldSeparator ? pos_ + 1 : pos_;
        std::string pattern = std::string(1, kFieldSeparator) + marker;
        for (std::size_t at = from == 0 ? 0 : from - 1; at < s_.size(); ++at) {
            if (s_[at] != kFieldSeparator || !os::equalsNoCase(std::string_view(s_).substr(at, pattern.size()), pattern))
                continue;
            std::size_t after = at + pattern.size();
            if (after < s_.size() && s_[after] != kFieldSeparator) continue;
            std::string text = at > from ? s_.substr(from, at - from) : std::string();
            pos_ = after;
            return text;
        }
        throw Fault{};
    }

private:
    std::string s_;
    std::size_t pos_ = 0;
};

void splitText3(const std::string& tok, std::string out[3], bool& second, bool& third) {
    std::size_t a = tok.find(kTextSeparator);
    second = third = false;
    if (a == std::string::npos) { out[0] = tok; return; }
    out[0] = tok.substr(0, a);
    std::size_t b = tok.find(kTextSeparator, a + 20);
    second = true;
    if (b == std::string::npos) { out[1] = tok.substr(a + 20); return; }
    third = true;
    out[1] = tok.substr(a + 20, b - a - 20);
    out[2] = tok.substr(b + 20);
}

}  // namespace

// The content in file order.
std::string projectFileContent(const ProjectRecord& r) {
    const char B = kFieldSeparator;
    std::string o;
    auto field = [&](const std::string& v) { o += v; o += B; };
    auto num = [&](int v) { field(std::to_string(v)); };

    o += B; field("start1");
    field(blankIfEmpty(r.company_name.view()));
    // The loader collapses runs of separators, so an empty plain field (a
    // text cut at a NUL) would shift every later one: it is written as " ".
    field(blankIfEmpty(r.product_name.view()));
    field(blankIfEmpty(r.product_version.view()));
    field(blankIfEmpty(r.email.view()));
    field(blankIfEmpty(r.comments.view()));
    field(blankIfEmpty(r.description.view()));
    field(blankIfEmpty(r.copyright_notice.view()));

    field("start2");
    field(r.source_folder.str() + kTextSeparator + r.default_destination.str());
    num(r.include_subfolders);

    field("start3");
    // Without a working list (a project made from its text form) the
    // stored list is the list.
    field(r.list_file_path.empty() ? rawOrBlank(r.stored_file_list) : embeddedFile(r.list_file_path.str()));

    field("start4");
    num(r.prompt_enabled);
    field(blankIfEmpty(r.prompt_text.view()));
    num(r.welcome_enabled);
    num(os::equalsNoCase(r.welcome_file.view(), "Default") ? 1 : 0);
    field(blankIfEmpty(r.welcome_file.view()));
    num(r.license_enabled);
    field(blankIfEmpty(r.license_file.view()));
    num(r.password_enabled);
    field(blankIfEmpty(r.password.view()));
    num(r.readme_enabled);
    field(blankIfEmpty(r.readme_file.view()));
    num(r.register_product);

    field("start5");
    num(r.shortcuts_enabled);
    num(r.uninstall_shortcut);
    field(r.shortcuts_enabled == 1 ? rawOrBlank(r.shortcuts_text) : std::string(kBlank));

    field("start6");
    num(r.env_vars_enabled);
    // A page that did not run in this build (switched off in the panel
    // configuration) keeps what the opened project held for it.
    if (!r.env_vars_enabled) field(kBlank);
    else if (r.environment_page_done == kDone) field(embeddedFile(r.registry_file_path.str()));
    else field(rawOrBlank(r.env_registry_text));

    field("start7");
    if (registryHasRows(r)) field(registryPageText(r));
    else if (r.registry_page_done != kDone) field(rawOrBlank(r.registry_text));
    else field(kBlank);

    field("start8");
    field(blankIfEmpty(r.output_file_path.view()));
    field(blankIfEmpty(r.project_file_path.view()));

    field("start9");
    field(std::to_string(r.post_install_choice) + kChoiceSeparator + std::to_string(r.pre_uninstall_choice) +
          kChoiceSeparator + std::to_string(r.pre_install_choice));
    field(carriedBeforeSeparator(r.post_install_cmdline.view()) + kTextSeparator +
          carriedBeforeSeparator(r.pre_uninstall_cmdline.view()) + kTextSeparator +
          blankIfEmpty(r.pre_install_cmdline.view()));
    num(r.finish_action);

    field("start10");
    o += r.services_text && r.services_text->size() > 1 ? *r.services_text : std::string(kBlank);

    o += B; field("start11");
    for (int f : r.panel_flags) o += static_cast<char>('0' + (f >= 0 && f <= 9 ? f : 0));
    o += B; field("start12");
    o += std::to_string(r.language_index);
    return o;
}


bool writeProjectFile(const ProjectRecord& r, const std::string& path) {
    const std::string temp = path + kProjectTempSuffix;
    FILE* f = os::openFile(temp, "wb");
    if (!f) return false;
    const std::string bytes = toTextStream(projectFileContent(r));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok || !os::moveFile(temp, path)) {
        os::deleteFile(temp);
        return false;
    }
    return true;
}

LoadStatus loadProjectBytes(ProjectRecord& r, const std::string& fileBytes, Messages& messages) {
    Reader in(fromTextStream(fileBytes));
    auto invalid = [&] {
        messages.show(kInvalidMessage, kCaption);
        return kInvalid;
    };
    std::string t;
    if (!in.next(t)) return invalid();   // the first token is not examined

    // Section 1.
    {
        int i = 0;
        for (;;) {
            if (!in.next(t)) return invalid();
            if (os::equalsNoCase(t, "start2")) break;
            switch (i++) {
                case 0: r.company_name = t; break;
                case 1: r.product_name = t; break;
                case 2: r.product_version = t; break;
                case 3: r.email = t; break;
                case 4: r.comments = t; break;
                case 5: r.description = t; break;
                case 6: r.copyright_notice = t; break;
                default: break;
            }
        }
    }
    // Section 2.
    {
        int i = 0;
        for (;;) {
            if (!in.next(t)) return invalid();
            if (os::equalsNoCase(t, "start3")) break;
            if (i == 0) {
                std::size_t at = t.find(kTextSeparator);
                r.source_folder = t.substr(0, at);
                r.default_destination = at == std::string::npos ? std::string() : t.substr(at + 20);
            } else if (i == 1) {
                r.include_subfolders = std::atoi(t.c_str());
            }
            ++i;
        }
        if (!in.next(t)) return invalid();
        r.stored_file_list = t;
        if (!in.next(t)) return invalid();   // the section 4 marker, not compared
    }
    // Section 4.
    {
        int i = 0, flag = 0;
        for (;;) {
            if (!in.next(t)) return invalid();
            if (os::equalsNoCase(t, "start5")) break;
            int v = std::atoi(t.c_str());
            switch (i++) {
                case 0: r.prompt_enabled = flag = v; break;
                case 1: if (flag == 1) r.prompt_text = t; break;
                case 2: r.welcome_enabled = flag = v; break;
                case 3: if (flag == 1) r.welcome_default = v; break;
                case 4: r.welcome_file = t; break;
                case 5: r.license_enabled = flag = v; break;
                case 6: if (flag == 1) r.license_file = t; break;
                case 7: r.password_enabled = flag = v; break;
                case 8: if (flag == 1) r.password = t; break;
                case 9: r.readme_enabled = flag = v; break;
                case 10: if (flag != 0) r.readme_file = t; break;
                case 11: r.register_product = v; break;
                default: break;
            }
        }
    }
    std::string choices;
    try {
        // Section 5.
        if (!in.next(t)) throw Fault{};
        r.shortcuts_enabled = std::atoi(t.c_str());
        if (!in.next(t)) throw Fault{};
        r.uninstall_shortcut = std::atoi(t.c_str());
        if (r.shortcuts_enabled) r.shortcuts_text = in.raw("start6");
        else if (!in.skipTo("start6")) throw Fault{};
        // Section 6.
        if (!in.next(t)) throw Fault{};
        r.env_vars_enabled = std::atoi(t.c_str());
        if (r.env_vars_enabled) r.env_registry_text = in.raw("start7");
        else if (!in.skipTo("start7")) throw Fault{};
        // Section 7.
        r.registry_text = in.raw("start8");
        // Section 8.
        {
            int i = 0;
            for (;;) {
                if (!in.next(t)) throw Fault{};
                if (os::equalsNoCase(t, "start9")) break;
                if (i == 0) r.output_file_path = t;
                else if (i == 1) r.project_file_path = t;
                ++i;
            }
        }
        // Section 9.
        {
            int i = 0;
            for (;;) {
                if (!in.next(t)) throw Fault{};
                if (os::equalsNoCase(t, "start10")) break;
                if (i == 0) {
                    choices = t;
                } else if (i == 1) {
                    std::string parts[3];
                    bool second, third;
                    splitText3(t, parts, second, third);
                    if (!second) {
                        r.post_install_cmdline = kBlank;
                        r.pre_uninstall_cmdline = kBlank;
                        r.pre_install_cmdline = kBlank;
                    } else {
                        r.post_install_cmdline = parts[0];
                        r.pre_uninstall_cmdline = third ? parts[1] : std::string(kBlank);
                        r.pre_install_cmdline = third ? parts[2] : std::string(kBlank);
                    }
                } else if (i == 2) {
                    r.finish_action = std::atoi(t.c_str());
                }
                ++i;
            }
            if (!in.next(t)) throw Fault{};
            std::string services = t;
            if (services.size() > kServicesTextSize - 1) services.resize(kServicesTextSize - 1);
            r.services_text = services;
        }
        // Sections 11 and 12: defaults when missing.
        bool haveFlags = false;
        if (in.next(t) && os::equalsNoCase(t, "start11") && in.next(t)) {
            haveFlags = true;
            for (std::size_t k = 0; k < kPanelCount; ++k)
                r.panel_flags[k] = k < t.size() && std::isdigit(static_cast<unsigned char>(t[k])) ? t[k] - '0' : 0;
        }
        if (!haveFlags)
            for (int& f : r.panel_flags) f = 1;
        r.language_index = 0;
        if (haveFlags && in.next(t) && os::equalsNoCase(t, "start12") && in.next(t)) r.language_index = std::atoi(t.c_str());
    } catch (const Fault&) {
        messages.show(kLoadFaultCode, "");
    }
    // The choices, split at "?"; a missing number gives -1.
    if (!choices.empty()) {
        int* dest[3] = {&r.post_install_choice, &r.pre_uninstall_choice, &r.pre_install_choice};
        std::size_t p = 0;
        for (int k = 0; k < 3; ++k) {
            if (p > choices.size()) { *dest[k] = -1; continue; }
            std::size_t q = choices.find(kChoiceSeparator, p);
            std::string part = choices.substr(p, q == std::string::npos ? std::string::npos : q - p);
            *dest[k] = part.empty() ? -1 : std::atoi(part.c_str());
            p = q == std::string::npos ? choices.size() + 1 : q + 1;
        }
    }
    return kLoaded;
}

LoadStatus loadProjectFile(ProjectRecord& r, Messages& messages) {
    // A folder is no project file on either host (stdio opens one natively).
    const std::string path = r.launch_project_path.str();
    FILE* f = os::directoryExists(path) ? nullptr : os::openFile(path, "rb");
    if (!f) {
        messages.show(kNotFoundMessage, kCaption);
        return kNotFound;
    }
    std::string bytes;
    char buf[8192];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    return loadProjectBytes(r, bytes, messages);
}

}  // namespace wizard
