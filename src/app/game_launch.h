// "Run Game": starts the game's executable from the game folder.
#pragma once

namespace pellux {

void launch_game();

}  // namespace pellux
