#include "app/game_launch.h"

#include <iostream>
#include <string>

#include "app/globals.h"
#include "console/prompts.h"
#include "files/command_runner.h"
#include "files/fs_text.h"

namespace pellux {

void launch_game() {
    const std::string executable = game_folder + "\\" + game_exe;
    // The game may have been removed since start-up, when the menu entry was decided.
    if (!path_exists(executable)) {
        show_message({}, {"Unable to locate you game exe!", executable});
        return;
    }
    std::cout << " ... STARTING " << game_exe << " ..." << std::endl;
    run_system("call \"" + executable + "\"");
    pause_with_note("DONE", 5);
}

}  // namespace pellux
