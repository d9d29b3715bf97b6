#include "backups/backup_restore.h"

#include <iostream>

#include "app/globals.h"
#include "archives/alias_table.h"
#include "backups/backup_sets.h"
#include "console/menu.h"
#include "console/prompts.h"
#include "files/file_ops.h"
#include "files/fs_text.h"

namespace pellux {

namespace {

const FileEntry* find_listed(const std::vector<FileEntry>& files, const std::string& path) {
    for (const auto& file : files) {
        if (file.path == path) return &file;
    }
    return nullptr;
}

// A set is one plain folder directly in backups\; anything else must never reach a deletion.
bool is_plain_set_name(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/") == std::string::npos;
}

}  // namespace

void restore_backup_set() {
    const std::vector<std::string> title_lines = {"RESTORE BACKUP FILES"};
    const std::string name = choose_backup_folder(backups_folder, title_lines);
    if (name.empty()) return;
    const std::string set_folder = backups_folder + name + "\\";

    const std::string arc_folder = set_folder + "arc";
    const auto arc_files = list_files_flat(arc_folder, ".*\\.arc");
    if (arc_files.empty()) {
        show_message(title_lines, {"No ARC files found in backup folder at:", arc_folder});
        return;
    }
    const std::string sound_folder = set_folder + "sound";
    const auto music_files = list_files(sound_folder, ".*\\.sngw");
    if (music_files.empty()) {
        show_message(title_lines, {"No sound files found in backup folder at:", sound_folder});
        return;
    }

    std::vector<MenuEntry> entries = {{"back", "Do Not Restore Any Files"},
                                      {"all", "Restore All Files (All ARC Files & Music Folder)"},
                                      {"arc", "Restore All ARC Files"},
                                      {"sound", "Restore All Music Files"},
                                      {"", "INDIVIDUAL ARC FILES"}};
    for (const auto& file : arc_files) entries.push_back({file.path, "Restore " + alias_display_name(file.path)});
    entries.push_back({"", "INDIVIDUAL MUSIC FILES"});
    for (const auto& file : music_files) entries.push_back({file.path, "Restore " + alias_display_name(file.path)});
    entries.push_back({"back", "[BACK]"});

    const std::string choice = show_menu(title_lines, {"Choose what to restore from backup:"}, entries, 0, 0);
    if (choice == "back" || choice == "quit" || choice.empty()) return;

    const std::string game_arc_folder = game_folder + "\\nativeDX11x64\\arc\\pc";
    const std::string game_sound_folder = game_folder + "\\nativeDX11x64\\sound";
    if (choice == "all") {
        std::cout << " ... RESTORING ALL FILES ... " << std::endl;
        std::cout << " ... RESTORING ARC FILES ... " << std::endl;
        copy_files_relative(arc_files, game_arc_folder, arc_folder, true);
        std::cout << " ... RESTORING MUSIC FILES ... " << std::endl;
        copy_files_relative(music_files, game_sound_folder, sound_folder, true);
    } else if (choice == "arc") {
        std::cout << " ... RESTORING ALL ARC FILES ... " << std::endl;
        copy_files_relative(arc_files, game_arc_folder, arc_folder, true);
    } else if (choice == "sound") {
        std::cout << " ... RESTORING ALL MUSIC FILES ... " << std::endl;
        copy_files_relative(music_files, game_sound_folder, sound_folder, true);
    } else if (const FileEntry* arc = find_listed(arc_files, choice)) {
        // The list an entry came from says what it is: the music listing matches ".sngw" in any
        // case, so the file name alone would send X.SNGW into the archive folder.
        std::cout << " ... RESTORING ARC FILE: " << choice << " ... " << std::endl;
        copy_files_relative({*arc}, game_arc_folder, arc_folder, true);
    } else if (const FileEntry* music = find_listed(music_files, choice)) {
        std::cout << " ... RESTORING MUSIC FILE: " << choice << " ... " << std::endl;
        copy_files_relative({*music}, game_sound_folder, sound_folder, true);
    } else {
        return;
    }
    pause_with_note("DONE", 5);
}

void delete_backup_set() {
    const std::vector<std::string> title_lines = {"DELETE BACKUP FILES"};
    const std::string name = choose_backup_folder(backups_folder, title_lines);
    if (name.empty() || !is_plain_set_name(name)) return;

    // Named without its trailing backslash: through "link\" the system would walk into whatever a
    // link points at, and a link or junction that leads out of backups\ must not take that with it.
    const std::string set_folder = backups_folder + name;
    if (!path_lies_inside(set_folder, backups_folder)) {
        std::cerr << "Error deleting folder: " << set_folder << "\\ does not lie inside " << backups_folder
                  << std::endl;
        return;
    }
    std::string error;
    if (!remove_tree(set_folder, &error)) {
        std::cerr << "Error deleting folder: " << error << std::endl;
        return;
    }
    std::cout << " ... DELETED BACKUP FOLDER: " << name << " ... " << std::endl;
    pause_with_note("DONE", 5);
}

}  // namespace pellux
