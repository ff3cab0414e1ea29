// The chain: what one run of the wizard shares between its pages. The main
// dialog owns it and every page is handed it when it is made; a page never
// climbs its owners or reads a global to find the record, the hub's state,
// the build's settings or a value an earlier page took.
//
// A page publishes a value later pages read by binding it here in its data
// exchange (the output location page binds output_text to its edit field).
// How the run ends goes through end(): the program exits with the code; a
// run that asked for a result (`twk build`) gets the code in ended() and
// every page on the way back ends its modal loop, so nothing is thrown
// through them.
#pragma once

#include <optional>
#include <string>

#include "wizard/build_settings.h"
#include "wizard/page_list.h"
#include "wizard/project_record.h"

namespace wizard {

// What the option hub shares with the pages it runs.
struct HubState {
    int back_requested = 0;     // set by a page's Back, cleared before each page runs
    int register_flag = 0;      // the installation options page's register-the-product box
};

// How the run is to end when a page ends it.
enum class RunEnd { ExitProcess, Result };

class Chain {
public:
    explicit Chain(PageList pages = PageList(), RunEnd how = RunEnd::ExitProcess)
        : pages(std::move(pages)), how_(how) {}
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

    ProjectRecord record;
    HubState hub;
    BuildSettings build;
    PageList pages;

    // ---- values later pages read from earlier ones
    std::string new_project_name;   // the project start page's name field
    std::string source_text;        // the source folder as the source page last took it
    int file_count = 0;             // the file list page's rows when it stored
    double required_space = 0;      // the space they need
    std::string output_text;        // the output location page's two paths
    std::string project_text;

    // Ends the run with `exitCode`: the process exits, or, for a run that
    // asked for a result, the code is kept and the pages end their loops.
    void end(int exitCode);
    // The code the run ended with, for a run that asked for a result.
    const std::optional<int>& ended() const { return ended_; }

private:
    RunEnd how_;
    std::optional<int> ended_;
};

}  // namespace wizard
