#include "console/banner.h"

#include <cstdlib>
#include <iostream>

#include "app/globals.h"
#include "console/menu.h"
#include "console/prompts.h"
#include "files/command_runner.h"
#include "platform/terminal.h"

namespace pellux {

void show_banner(const std::vector<std::string>& error_lines) {
    if (!error_lines.empty()) {
        run_system("color 4f");
        print_lines(error_lines, '*');
    }
    print_box({app_title, "Made by the Pellux developers", "Report problems on the project's issue tracker"}, true);
    wait_key_or_timeout(error_lines.empty() ? 5 : 99);
    std::cout << std::flush;
    // The terminal goes back to how the user had it before the process ends.
    platform::restore_terminal();
    std::exit(1);
}

}  // namespace pellux
