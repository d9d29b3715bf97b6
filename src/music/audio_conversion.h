// Measuring audio and converting it into the game's music through ffmpeg.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pellux {

// Loudness targets (integrated LUFS, as handed to convert_to_game_music) with their menu labels.
const std::vector<std::pair<std::string, std::string>>& loudness_levels();

bool probe_audio(const std::string& input, double& duration, int& sample_rate);
bool convert_to_game_music(const std::string& input, const std::string& output, const std::string& target);

}  // namespace pellux
