// Placing converted music over the game's songs: one chosen song, or whole groups at random.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pellux {

void copy_ogg_to_game(const std::string& source);
void copy_converted_music(const std::string& folder);
void copy_random_music();

// `draws` file numbers below `files`: no number comes again until all have come once, then a new
// cycle begins. Empty when there are no files.
std::vector<std::size_t> draw_file_numbers(std::size_t files, std::size_t draws, std::uint64_t seed);

}  // namespace pellux
