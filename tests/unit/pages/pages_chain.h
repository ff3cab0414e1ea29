// The record and the pages around the real ones, for the page dialog tests on
// the headless host: a root that holds the record (where the welcome page
// stands), working files in the test's own folder, and stand-in hub pages.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/scenario.h"
#include "tests/unit/pages/pages_tree.h"
#include "wizard/page_base.h"
#include "wizard/page_table.h"
#include "wizard/project_record.h"

namespace pagestest {

// The record at the root of the chain. Next runs `next` (default: the
// source folder page); Configure runs the panel configuration.
class CTestRoot : public wizard::PageBase, public wizard::ProjectRecord {
public:
    CTestRoot();
    std::function<void(CTestRoot&)> next;
    wizard::HubState hub;           // for pages run straight from the root
    int lastResult = 0;             // what the page run by Next returned
protected:
    void onNext() override;
    bool onCommand(int id, int code) override;
};

// Which stand-in hub pages ran, in order ("shortcuts", "output" ...).
std::vector<std::string>& stepLog();

// Puts stand-in pages at hub positions for the length of a test.
class StandIns {
public:
    explicit StandIns(const std::vector<wizard::PageSlot>& slots);
private:
    std::vector<std::unique_ptr<wizard::PageOverride>> overrides_;
};

// One test's folder with the installation's working paths in the record.
struct PagesEnv {
    PagesEnv();
    ~PagesEnv();
    std::string savedDirectory;   // the pages change it; restored at the end
    Tree tree;
    CTestRoot root;
    std::string listFile() const { return root.list_file_path.str(); }
    std::string optionFile() const { return root.option_file_path.str(); }
    std::string configFile() const { return root.panel_config_path.str(); }
    void setFlags(const char* digits);

    // Runs the root under the scenario; returns the root's result, or the
    // exit code when the run ended the process.
    int run(const std::string& scenario, std::vector<ui::RecordedMessage>* messages = nullptr);
};

std::string messageTexts(const std::vector<ui::RecordedMessage>& messages);

}  // namespace pagestest
