// The chain and the pages around the real ones, for the page dialog tests on
// the headless host: a root page where the welcome page stands, the chain
// with Tarnwick's page list and working files in the test's own folder, and
// stand-in hub pages.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "pages/page_list.h"
#include "platform/ui/scenario.h"
#include "tests/unit/pages/pages_tree.h"
#include "wizard/chain.h"
#include "wizard/page_base.h"

namespace pagestest {

// The root of the chain. Next runs `next` (default: the source folder
// page); Configure runs the panel configuration.
class CTestRoot : public wizard::PageBase {
public:
    explicit CTestRoot(wizard::Chain& chain);
    std::function<void(CTestRoot&)> next;
    int lastResult = 0;             // what the page run by Next returned
protected:
    void onNext() override;
    bool onCommand(int id, int code) override;
};

// Which stand-in hub pages ran, in order ("shortcuts", "output" ...).
std::vector<std::string>& stepLog();

// One test's folder with the installation's working paths in the record.
struct PagesEnv {
    PagesEnv();
    ~PagesEnv();
    std::string savedDirectory;   // the pages change it; restored at the end
    Tree tree;
    wizard::Chain chain{pages::pageList()};
    wizard::ProjectRecord& rec = chain.record;
    CTestRoot root{chain};
    std::string listFile() const { return rec.list_file_path.str(); }
    std::string optionFile() const { return rec.option_file_path.str(); }
    std::string configFile() const { return rec.panel_config_path.str(); }
    void setFlags(const char* digits);
    // Puts stand-in pages at these hub dialogs; they log their names.
    void standIns(const std::vector<int>& dialogs);

    // Runs the root under the scenario; returns the root's result, or the
    // exit code when the run ended the process.
    int run(const std::string& scenario, std::vector<ui::RecordedMessage>* messages = nullptr);
};

// The root's chain as a hub page finds it: the source folder page took the
// record's folder.
inline wizard::Chain& afterSource(CTestRoot& root) {
    wizard::Chain& chain = root.chain();
    if (chain.source_text.empty()) chain.source_text = chain.record.source_folder.str();
    return chain;
}

// Runs page P from the root as the hub would; every Next on the root runs it again.
template <class P>
void startAt(PagesEnv& env, std::vector<int>* results = nullptr) {
    env.root.next = [results](CTestRoot& root) {
        P page(afterSource(root), &root);
        const int r = page.runModal();
        if (results) results->push_back(r);
    };
}

std::string messageTexts(const std::vector<ui::RecordedMessage>& messages);

}  // namespace pagestest
