// The output language page (dialog 333), the last optional page the option
// hub may run: the language of the installer's texts, English, French, German
// or Spanish, kept in the record as language_index.
#pragma once

#include "wizard/page_base.h"

namespace pages {

inline constexpr const char* kMsgSelectLanguage = "You must select the language.";

class COutputLanguageDlg : public wizard::PageBase {
public:
    explicit COutputLanguageDlg(wizard::Chain& chain, ui::Dialog* owner = nullptr);

    // Next and Back: the chosen row into language_index; -1 (the page stays,
    // the record unchanged) when the list names no language.
    int store(int interactive) override;

protected:
    void initPage() override;
    int focusControl() const override;
};

}  // namespace pages
