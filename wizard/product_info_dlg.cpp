#include "wizard/product_info_dlg.h"

#include <cstddef>

#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"
#include "wizard/project_file_texts.h"

namespace {

constexpr char kLimitReached[] = "You reached the maximum limit";
constexpr char kMandatory[] = "You must enter the company's name, product name and version";
constexpr char kBadEmail[] = "Unrecognised Email-id format...";

struct Field {
    int id;
    const char* label;      // as the page labels it, for the refusal message
    std::size_t max;
};
constexpr Field kFields[CProductInfoDlg::kFieldCount] = {
    {IDC_PRODUCT_COMPANY, "Company Name", 50},  {IDC_PRODUCT_NAME, "Product Name", 50},
    {IDC_PRODUCT_VERSION, "Version", 10},       {IDC_PRODUCT_EMAIL, "Email", 50},
    {IDC_PRODUCT_DESCRIPTION, "Description", 250}, {IDC_PRODUCT_COMMENTS, "Comments", 250},
    {IDC_PRODUCT_COPYRIGHT, "Copyright Notice", 250},
};

// An address is accepted when it has an at-sign and ".com" somewhere after
// the first one; nothing else is examined.
bool emailAccepted(const std::string& email) {
    if (email.empty()) return true;
    const std::size_t at = email.find('@');
    return at != std::string::npos && email.find(".com", at + 1) != std::string::npos;
}

}  // namespace

CProductInfoDlg::CProductInfoDlg(wizard::Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_PRODUCT_INFO, "p1 3 1", "p1 3 2", "Bundlewright2.html"}, wizard::PageRole::MainChain,
               {IDC_PRODUCT_NEXT, IDC_PRODUCT_BACK, IDC_PRODUCT_CANCEL, IDC_PRODUCT_HELP}, owner) {}

void CProductInfoDlg::doDataExchange(Exchange& dx) {
    std::string* texts[kFieldCount] = {&company, &product, &version, &email, &description, &comments, &copyright};
    for (int i = 0; i < kFieldCount; ++i) dx.text(kFields[i].id, *texts[i]);
}

void CProductInfoDlg::initPage() {
    const wizard::ProjectRecord& r = record();
    if (r.project_opened != 1 && r.product_page_done != wizard::kDone) return;
    filling_ = true;
    setText(IDC_PRODUCT_COMPANY, r.company_name.str());
    setText(IDC_PRODUCT_NAME, r.product_name.str());
    setText(IDC_PRODUCT_VERSION, r.product_version.str());
    // An empty e-mail comes back from a project file as one blank.
    if (r.email.size() > 3) setText(IDC_PRODUCT_EMAIL, r.email.str());
    // The project file keeps an empty optional text as one blank; shown as
    // that blank it would reach the next package in place of the empty text.
    auto unblank = [](const std::string& t) { return t == " " ? std::string() : t; };
    setText(IDC_PRODUCT_DESCRIPTION, unblank(r.description.str()));
    setText(IDC_PRODUCT_COMMENTS, unblank(r.comments.str()));
    setText(IDC_PRODUCT_COPYRIGHT, unblank(r.copyright_notice.str()));
    filling_ = false;
}

int CProductInfoDlg::focusControl() const { return IDC_PRODUCT_COMPANY; }

bool CProductInfoDlg::onCommand(int id, int code) {
    if (code == ui::EnUpdate) {
        for (const Field& f : kFields) {
            if (f.id != id) continue;
            if (filling_) return true;
            updateData(true);
            if (text(id).size() == f.max) ui::Prompter().message(kLimitReached);
            return true;
        }
    }
    return PageBase::onCommand(id, code);
}

int CProductInfoDlg::store(int interactive) {
    updateData(true);
    if (company.empty() || product.empty() || version.empty()) {
        if (interactive) ui::Prompter().message(kMandatory);
        return -1;
    }
    if (!emailAccepted(email)) {
        ui::Prompter().message(kBadEmail);
        return -1;
    }
    const std::string* texts[kFieldCount] = {&company, &product, &version, &email, &description, &comments, &copyright};
    for (int i = 0; i < kFieldCount; ++i) {
        const std::string kept = texts[i]->substr(0, kFields[i].max);
        const wizard::TextFault fault = wizard::plainFieldFault(kept);
        if (fault != wizard::TextFault::None) {
            ui::Prompter().message(wizard::plainFieldMessage(kFields[i].label, fault));
            return -1;
        }
    }
    wizard::ProjectRecord& r = record();
    r.product_page_done = wizard::kDone;
    r.company_name = company;
    r.product_name = product;
    r.product_version = version;
    r.email = email;
    r.description = description;
    r.comments = comments;
    r.copyright_notice = copyright;
    return 0;
}

