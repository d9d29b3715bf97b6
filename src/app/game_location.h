// Where the game is: the steam_path setting when it names the game folder, else the folder Steam
// recorded when it installed the game. Decided once at start-up.
#pragma once

#include <string>

namespace pellux {

bool is_game_folder(const std::string& folder);

// Sets game_found and game_folder from the setting or from Steam's record.
void decide_game_folder();

}  // namespace pellux
