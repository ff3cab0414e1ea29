// What every host keeps whether or not a scenario ever runs: the open
// dialogs and the running scenario's slot (a program that never starts a
// scenario links none of the scenario code).
#include <stdexcept>

#include "platform/ui/scenario_state.h"

namespace ui {

Dialog* activeDialog() { return hosted::stack().empty() ? nullptr : hosted::stack().back(); }

namespace hosted {

std::vector<Dialog*>& stack() {
    static std::vector<Dialog*> s;
    return s;
}
ScenarioRun::State*& running() {
    static ScenarioRun::State* s = nullptr;
    return s;
}

void checkDib(const Dib& dib) {
    if (dib.width <= 0 || dib.height <= 0) throw std::invalid_argument("drawDib: empty bitmap");
    if (dib.bitsPerPixel != 8 && dib.bitsPerPixel != 24) throw std::invalid_argument("drawDib: 8 or 24 bits per pixel");
    if (dib.bitsPerPixel == 8 && (dib.palette.empty() || dib.palette.size() > 256)) throw std::invalid_argument("drawDib: 8-bit bitmap needs a palette of 1 to 256 colours");
    size_t stride = (static_cast<size_t>(dib.width) * static_cast<size_t>(dib.bitsPerPixel) / 8 + 3) & ~size_t(3);
    if (dib.bits.size() < stride * static_cast<size_t>(dib.height)) throw std::invalid_argument("drawDib: bitmap data too short");
}

}  // namespace hosted
}  // namespace ui
