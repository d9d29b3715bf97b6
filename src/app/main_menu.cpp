#include "app/main_menu.h"

#include "app/game_launch.h"
#include "app/globals.h"
#include "archives/archive_menus.h"
#include "backups/backup_restore.h"
#include "backups/backup_sets.h"
#include "console/banner.h"
#include "console/colors.h"
#include "files/file_ops.h"
#include "files/fs_text.h"
#include "music/music_menus.h"
#include "music/music_placement.h"

namespace pellux {
namespace {

bool user_music_folder_exists() {
    const auto it = settings.find("music_path");
    return it != settings.end() && !it->second.empty() && path_exists(it->second);
}

// What each key of the main menu runs. An operation that is still null is not built yet:
// choosing it returns to the menu. A key missing from the table ("quit", and the "back" / "quit"
// that Escape and Backspace give) ends the program.
struct MenuOperation {
    const char* key;
    void (*run)();
};

const MenuOperation kOperations[] = {
    // ARC FUNCTIONS
    {"extract_steam", [] { extract_arc_menu("steam"); }},
    {"extract_backup", [] { extract_arc_menu("backup"); }},
    {"rebuild", rebuild_arc_menu},
    // MUSIC FUNCTIONS
    {"convert_mp3", [] { convert_music_menu(music_folder); }},
    {"convert_mp3_user", [] { convert_music_menu(settings["music_path"]); }},
    {"convert_dc_adx", [] { convert_dc_mix_menu(music_folder); }},
    {"copy_ogg", [] { copy_converted_music(converted_music_folder); }},
    {"random_oggs", copy_random_music},
    // MOD FUNCTIONS
    {"mod_menu", nullptr},    // manage_mods()
    {"create_mod", nullptr},  // create_mod()
    // OTHER FUNCTIONS
    {"create_backup", create_backup_set},
    {"restore_backup", restore_backup_set},
    {"remove_backup", delete_backup_set},
    {"run_game", launch_game},
};

const MenuOperation* find_operation(const std::string& key) {
    for (const auto& operation : kOperations) {
        if (key == operation.key) return &operation;
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> main_menu_title_lines() {
    std::vector<std::string> lines = {app_title};
    if (!game_found) {
        lines.insert(lines.end(), {"", "[UNABLE TO DETECT STEAM PATH]", "Many Program options are not displayed",
                                   "You may update the config.ini to set it manually"});
    }
    return lines;
}

std::vector<MenuEntry> main_menu_entries() {
    const int backup_count = count_folders(backups_folder);
    std::vector<MenuEntry> entries;
    entries.push_back({"", "ARC FUNCTIONS"});
    if (game_found) entries.push_back({"extract_steam", "Extract Steam ARC File"});
    entries.push_back({"extract_backup", "Extract Backup ARC Files"});
    entries.push_back({"rebuild", "Rebuild ARC File"});

    entries.push_back({"", "MUSIC FUNCTIONS"});
    if (ffmpeg_found) {
        entries.push_back({"convert_mp3", "Convert Music For Game [" + music_folder + "]"});
        if (user_music_folder_exists()) entries.push_back({"convert_mp3_user", "Convert Music For Game [User Music]"});
        entries.push_back({"convert_dc_adx", "Convert DC Mix [" + music_folder + "]"});
    } else {
        entries.push_back({"convert_mp3", "Convert Music For Game [FFMPEG MISSING]"});
    }
    if (game_found) {
        entries.push_back({"copy_ogg", "Copy Already Converted Music To Steam"});
        entries.push_back({"random_oggs", "Copy Random Music To Steam"});
    }

    entries.push_back({"", "MOD FUNCTIONS"});
    entries.push_back({"mod_menu", "Manage Mods"});
    entries.push_back({"create_mod", "Create Mod File"});

    if (game_found) {
        entries.push_back({"", "OTHER FUNCTIONS"});
        if (backup_count == 0) {
            entries.push_back({"create_backup", "Create Backup Files " + colored_text("[NO BACKUPS FOUND]", "bw", "br")});
        } else {
            entries.push_back({"create_backup", "Create Steam Backup"});
            entries.push_back({"restore_backup", "Restore Steam Backup"});
            entries.push_back({"remove_backup", "Delete Steam Backup"});
        }
        entries.push_back({"run_game", "Run Game"});
    }

    entries.push_back({"", ""});
    entries.push_back({"quit", "[QUIT]"});
    return entries;
}

void main_menu() {
    const std::string key = show_menu(main_menu_title_lines(), {}, main_menu_entries(), main_menu_index, 99);
    main_menu_index = last_menu_index;
    const MenuOperation* operation = find_operation(key);
    if (operation == nullptr) show_banner({});
    if (operation->run != nullptr) operation->run();
}

}  // namespace pellux
