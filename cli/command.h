// twk's commands: each command file registers one with a static Command object.
#pragma once

#include <string>
#include <vector>

namespace twk {

using CommandMain = int (*)(const std::vector<std::string>& args);  // args after the command name

struct Command {
    Command(const char* name, const char* usage, CommandMain run);
};

}  // namespace twk
