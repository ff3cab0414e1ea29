// The fatal-code catch-all every handler body runs under: anything thrown
// shows a box whose whole text is the code, with the program's name as
// caption and OK, then ends the process (exit code 1 unless told otherwise).
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/os/os.h"
#include "platform/ui/prompter.h"

namespace ui {

// A failing scenario (scenario.h) is never turned into a fatal code.
struct ScenarioError : std::runtime_error {
    explicit ScenarioError(const std::string& what) : std::runtime_error(what) {}
};

struct Fatal {
    int exitCode = 1;
    bool continueAfter = false;         // show the code and return false instead of exiting
    std::optional<std::string> caption; // std::nullopt: the program's name ("" for "p1 m7")
};

// The product's exceptions to "exit 1", e.g. guarded("p1 3 1", fn, exitsWith(0)).
inline Fatal exitsWith(int code) { Fatal f; f.exitCode = code; return f; }
inline Fatal continues() { Fatal f; f.continueAfter = true; return f; }
inline Fatal emptyCaption() { Fatal f; f.caption = std::string(); return f; }

// Shows the code as the whole text of an OK box, then os::exitProcess(exitCode)
// unless how.continueAfter.
void reportFatal(const std::string& code, const Fatal& how = {});

// Runs fn; true when it returned normally, false when it threw and
// how.continueAfter is set. os::ExitRequest and ScenarioError pass through.
//   guarded("p1 5 2", [&] { ... });
//   guarded("p1 3 1", [&] { ... }, exitsWith(0));
//   guarded("p1 2 2", [&] { ... }, continues());
//   guarded("p1 m7", [&] { ... }, emptyCaption());
template <class F>
bool guarded(const std::string& code, F&& fn, const Fatal& how = {}) {
    try {
        std::forward<F>(fn)();
        return true;
    } catch (const os::ExitRequest&) {
        throw;
    } catch (const ScenarioError&) {
        throw;
    } catch (...) {
    }
    reportFatal(code, how);
    return false;
}

}  // namespace ui
