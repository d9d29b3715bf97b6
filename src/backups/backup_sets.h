// Backup sets: named copies of the game's ARC archives and music under backups\.
#pragma once

#include <string>
#include <vector>

namespace pellux {

void create_backup_set();
// The chosen sub-folder's name, or an empty text when there is none or the user leaves.
std::string choose_backup_folder(const std::string& folder, const std::vector<std::string>& title_lines);
// Moves the single backup\ folder of older versions into backups\default\ (start-up).
void migrate_legacy_backup();

}  // namespace pellux
