// The "ARC FUNCTIONS" dialogues: extract an ARC file of the game or of a backup set, and rebuild
// an extracted folder, optionally copying the result into the game.
#pragma once

#include <string>
#include <vector>

#include "console/menu.h"

namespace pellux {

void extract_arc_menu(const std::string& mode);  // "steam" or "backup"
void rebuild_arc_menu();
std::string choose_arc_file(const std::string& folder, const std::string& mode);
std::string choose_extracted_folder(const std::string& folder);
std::vector<MenuEntry> list_arc_files(const std::string& folder);
std::vector<MenuEntry> list_extracted_folders(const std::string& folder);

}  // namespace pellux
