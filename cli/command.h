// twk's commands: each command file registers one with a static Command object.
#pragma once

#include <string>
#include <vector>

namespace twk {

using CommandMain = int (*)(const std::vector<std::string>& args);  // args after the command name

struct Command {
    Command(const char* name, const char* usage, CommandMain run);
};

// Takes every `flag` out of `args`; true when there was one.
inline bool takeFlag(std::vector<std::string>& args, const char* flag) {
    bool found = false;
    for (auto it = args.begin(); it != args.end();) {
        if (*it == flag) {
            found = true;
            it = args.erase(it);
        } else {
            ++it;
        }
    }
    return found;
}

}  // namespace twk
