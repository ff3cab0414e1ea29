// A hidden top-level window of the test's own that counts the broadcasts
// telling running programs that the environment changed.
#pragma once

#include <memory>

namespace bwtest {

class EnvironmentListener {
public:
    EnvironmentListener();    // the window exists and listens when this returns
    ~EnvironmentListener();
    EnvironmentListener(const EnvironmentListener&) = delete;
    EnvironmentListener& operator=(const EnvironmentListener&) = delete;

    // True once `count` broadcasts naming "Environment" have arrived (waits up to 5 s).
    bool heard(int count) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace bwtest
