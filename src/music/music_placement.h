// Placing converted music over the game's songs: one chosen song, or whole groups at random.
#pragma once

#include <string>

namespace pellux {

void copy_ogg_to_game(const std::string& source);
void copy_converted_music(const std::string& folder);
void copy_random_music();

}  // namespace pellux
