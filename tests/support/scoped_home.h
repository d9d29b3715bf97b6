// Points HOME at a folder of the test's own for as long as the object lives, so that no Steam
// installation of the machine running the tests is ever seen (POSIX tests only).
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace pellux::testing {

class ScopedHome {
public:
    explicit ScopedHome(const std::string& home) {
        if (const char* previous = std::getenv("HOME")) previous_ = previous;
        setenv("HOME", home.c_str(), 1);
    }
    ~ScopedHome() {
        if (previous_) {
            setenv("HOME", previous_->c_str(), 1);
        } else {
            unsetenv("HOME");
        }
    }
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

private:
    std::optional<std::string> previous_;
};

}  // namespace pellux::testing
