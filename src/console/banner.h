// The fatal stop: the program's only way to end.
#pragma once

#include <string>
#include <vector>

namespace pellux {

// Error lines (may be empty), the banner box, a wait of 5 or 99 seconds, exit status 1.
[[noreturn]] void show_banner(const std::vector<std::string>& error_lines);

}  // namespace pellux
