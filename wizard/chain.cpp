#include "wizard/chain.h"

#include "platform/os/os.h"

namespace wizard {

void Chain::end(int exitCode) {
    if (how_ == RunEnd::ExitProcess) os::exitProcess(exitCode);
    if (!ended_) ended_ = exitCode;
}

}  // namespace wizard
