// Everything one package build needs, as plain values. The summary page (or
// `twk build`) fills it from the project record and the pages' values.
#pragma once

#include <cstdint>
#include <string>

namespace builder {

// The bytes of compressed entries a cache keeps when nobody says otherwise.
constexpr uint64_t kDefaultCacheLimit = uint64_t(1) << 30;

// The package is written as output_path + kPartSuffix and renamed when it is
// complete; compressed entries waiting their turn are spilled to files named
// kSpillName + a number in the working files' folder (list_file_path's), so
// that no side file lengthens the output path by more than kPartSuffix.
constexpr const char kPartSuffix[] = ".part";
constexpr const char kSpillName[] = "spill";

struct BuildRequest {
    std::string stub_path;          // install_dir + "\bin\install.exe"
    std::string uninstaller_path;   // install_dir + "\bin\UnBundlewright.exe"
    std::string source_folder;      // as entered on the source folder page
    std::string output_path;        // the package to create

    // Product texts.
    std::string company_name;
    std::string product_name;
    std::string product_version;
    std::string email;
    std::string description;
    std::string comments;
    std::string copyright_notice;

    // Working files in the installation's temp folder (twk: its run's folder).
    std::string list_file_path;
    std::string option_file_path;
    std::string registry_file_path;
    std::string shortcuts_file_path;

    std::string lang_dir;           // ends with a backslash
    int language_index = 0;         // 0 English, 1 French, 2 German, 3 Spanish

    // Delivery slots: the choice is -1 when no program is chosen.
    int post_install_choice = -1;
    std::string post_install_file;
    std::string post_install_cmdline;
    int pre_uninstall_choice = -1;
    std::string pre_uninstall_file;
    std::string pre_uninstall_cmdline;
    int pre_install_choice = -1;
    std::string pre_install_file;
    std::string pre_install_cmdline;

    int finish_action = 0;          // 0 nothing, 1 log off, 2 restart
    std::string default_destination;
    std::string services_text;      // empty when the project has none

    int file_count = 0;             // from the file list page
    double required_space = 0;      // from the file list page, bytes

    // Compression threads; 0 uses every core. The package's bytes do not depend on it.
    unsigned threads = 0;

    // The compression cache: its folder (empty for none) and the bytes of
    // entries it keeps. The package's bytes do not depend on it either.
    std::string cache_folder;
    uint64_t cache_limit = kDefaultCacheLimit;
};

}  // namespace builder
