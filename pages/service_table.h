// The services page's entries and the services text.
//
// Services text (the record's services_text, the package's services item and
// the project file's last section): for every live entry in table order
//   EXECUTABLE~SERVICE-NAME~DISPLAY-NAME
// followed by CR LF unless the entry is in the last used slot. No header;
// empty with no live entry. The table holds 20 entries; a deleted one keeps
// its slot (state -1) and still counts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/os/text.h"
#include "wizard/fixed_text.h"

namespace pages {

inline constexpr std::size_t kServiceTableSize = 20;
inline constexpr std::size_t kServiceNameChars = 49;
inline constexpr std::size_t kServiceDisplayChars = 49;
inline constexpr std::size_t kServiceExecutableChars = os::kPathSlot - 1;

inline constexpr char kMsgServicesFull[] = "You can not create service installations anymore.";
inline constexpr char kMsgNoExecutable[] = "You must select the Service Executable File name.";
inline constexpr char kMsgNoServiceName[] = "You must enter the Service Name.";
inline constexpr char kMsgNoDisplayName[] = "You must enter the Service Display Name.";
inline constexpr char kMsgServiceUpdate[] = "This will update the value.";
inline constexpr char kMsgSelectFirst[] = "Select the item first";
inline constexpr char kMsgNoMatch[] = "Desired match not found for deletion.";
inline constexpr char kMsgSupportingFile[] = "Supporting file not found";
// The refusals of texts the format or the slots cannot carry.
inline constexpr char kMsgServiceBadChar[] =
    "The service fields cannot hold a tilde (~) or a backquote (`).";
inline constexpr char kMsgServiceNameSlash[] =
    "The Service Name cannot hold a slash (/) or a backslash (\\): the service manager refuses them.";
inline constexpr char kMsgServiceNameTooLong[] = "The Service Name holds at most 49 characters.";
inline constexpr char kMsgServiceDisplayTooLong[] = "The Service Display Name holds at most 49 characters.";
inline constexpr char kMsgServiceExecutableTooLong[] = "The Service Executable File holds at most 259 characters.";

struct ServiceEntry {
    wizard::FixedText<50> name;
    wizard::FixedText<50> display;
    wizard::FixedText<os::kPathSlot> executable;
    int state = 0;                  // 0 live, -1 deleted
};

// nullptr when the three fields fit the text format and their slots.
const char* serviceFieldsFault(const std::string& executable, const std::string& name, const std::string& display);

// The combo's name for a list.txt line: the line without the source folder
// as typed (n characters), or "\" + its file name for a file from outside the
// source folder, as the builder packs it.
std::string serviceExecutableName(const std::string& line, const std::string& sourceFolder);
// The list.txt lines the combo offers: those ending in ".EXE", any case.
bool isExecutableLine(const std::string& line);

class ServiceTable {
public:
    int count() const { return count_; }
    bool full() const { return count_ >= static_cast<int>(kServiceTableSize); }
    const ServiceEntry& operator[](int i) const { return entries_[i]; }

    // The first live entry with this service name (case counts), -1 when none.
    int findName(const std::string& name) const;
    // The first live entry holding all three (case counts), -1 when none.
    int find(const std::string& executable, const std::string& name, const std::string& display) const;
    // A new live entry; -1 when the table is full.
    int add(const std::string& executable, const std::string& name, const std::string& display);
    void update(int index, const std::string& executable, const std::string& display);
    void remove(int index);

    std::string text() const;
    // Adds one entry per line of `text` (fields past the third ignored) until
    // the table is full; a line without a service name is left out. Returns
    // the indexes added.
    std::vector<int> restore(const std::string& text);

private:
    ServiceEntry entries_[kServiceTableSize];
    int count_ = 0;
};

}  // namespace pages
