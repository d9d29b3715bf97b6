// The music conversion dialogues: single files, and whole DC mixes of 22 tracks.
#pragma once

#include <string>

namespace pellux {

void convert_music_menu(const std::string& folder);
void convert_dc_mix_menu(const std::string& folder);

}  // namespace pellux
