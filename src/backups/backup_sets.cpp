#include "backups/backup_sets.h"

#include <iostream>

#include "app/globals.h"
#include "console/menu.h"
#include "console/prompts.h"
#include "files/command_runner.h"
#include "files/file_ops.h"
#include "files/fs_text.h"
#include "platform/terminal.h"

namespace pellux {

namespace {

const std::string legacy_folder = "backup\\";

// On Windows "." and ".." are the folder itself and its parent, and trailing dots and blanks are
// dropped from a name; a name of nothing else would put the set's files into backups\ itself or
// beside it, so it counts as no name at all.
bool names_no_folder(const std::string& name) {
    return name.find_first_not_of(". ") == std::string::npos;
}

}  // namespace

void create_backup_set() {
    const std::vector<std::string> title_lines = {"CREATE BACKUP FILES"};

    const std::string arc_source = game_folder + "\\nativeDX11x64\\arc\\pc";
    const auto arc_files = list_files_flat(arc_source, ".*\\.arc");
    if (arc_files.empty()) {
        show_message(title_lines, {"No ARC files found in:", arc_source});
        return;
    }
    const std::string music_source = game_folder + "\\nativeDX11x64\\sound";
    const auto music_files = list_files(music_source, ".*\\.sngw");
    if (music_files.empty()) {
        show_message(title_lines, {"No files found in:", music_source});
        return;
    }

    run_system("cls");
    print_box(title_lines, true);
    std::cout << std::endl << std::endl;
    std::cout << " ... FOUND " << arc_files.size() << " ARC FILES ... " << std::endl;
    std::cout << " ... FOUND " << music_files.size() << " MUSIC FILES ... " << std::endl;

    const std::vector<MenuEntry> names = {{"default", "[Default]"},
                                          {"Stock", "[Stock]"},
                                          {"MyMix", "[My Mix]"},
                                          {"custom", "[Enter Custom Name]"},
                                          {"back", "[BACK]"}};
    std::string name = show_menu(title_lines, {"Choose a backup name or enter a custom one:"}, names, 0, 0);
    if (name == "back" || name == "quit" || name.empty()) return;
    if (name == "custom") {
        std::cout << std::endl << " Enter a custom backup name: " << std::flush;
        name = sanitize_file_name(platform::read_line());
        if (names_no_folder(name)) return;
    }

    const std::string set_folder = backups_folder + name + "\\";
    if (path_exists(set_folder)) {
        const std::string answer =
            show_menu(title_lines, {"THIS WILL OVERWRITE CURRENT FILES AT: " + set_folder},
                      {{"replace", "Replace Existing Backup Files"}, {"back", "[BACK]"}}, 0, 0);
        if (answer != "replace") return;
    } else {
        create_folder(set_folder);
    }

    std::cout << " ... BACKING UP " << arc_files.size() << " ARC FILES ... " << std::endl;
    copy_files_relative(arc_files, set_folder + "arc", arc_source, true);
    std::cout << " ... BACKING UP " << music_files.size() << " MUSIC FILES ... " << std::endl;
    copy_files_relative(music_files, set_folder + "sound", music_source, true);
    pause_with_note("DONE", 5);
}

std::string choose_backup_folder(const std::string& folder, const std::vector<std::string>& title_lines) {
    // The keys are the sets' paths, not their bare names, so that a set called "back" can still
    // be chosen rather than reading as the way out.
    std::vector<MenuEntry> entries;
    for (const auto& entry : folder_entries(folder)) {
        if (entry.is_folder) entries.push_back({entry.path, entry.name});
    }
    if (entries.empty()) {
        show_message(title_lines, {"No backup folders found in:", folder});
        return {};
    }
    entries.push_back({"back", "[BACK]"});
    const std::string key = show_menu(title_lines, {"Choose a backup folder:"}, entries, 0, 0);
    for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
        if (entries[i].key == key) return entries[i].label;
    }
    return {};
}

void migrate_legacy_backup() {
    const std::string old_arc = legacy_folder + "arc";
    const std::string old_sound = legacy_folder + "sound";
    if (!path_exists(old_arc) && !path_exists(old_sound)) return;

    const std::string target = backups_folder + "default\\";
    create_folder(target);
    // A rename refused because the target is already there leaves the old folder where it is;
    // nothing is lost, and the note below tells the user the folder is still around.
    if (path_exists(old_arc)) rename_path(old_arc, target + "arc");
    if (path_exists(old_sound)) rename_path(old_sound, target + "sound");

    for (const auto& entry : folder_entries(legacy_folder)) {
        if (entry.is_regular_file && to_lower(extension_of(entry.name)) == ".info") remove_file(entry.path);
    }

    const std::string legacy_path = "backup";
    if (folder_entries(legacy_folder).empty()) {
        std::string error;
        if (!remove_file(legacy_path, &error)) {
            std::cerr << "Error removing empty backup folder: " << error << std::endl;
        }
    }
    if (path_exists(legacy_path)) write_file_bytes(legacy_folder + "THIS FOLDER IS NO LONGER NEEDED.TXT", "");
}

}  // namespace pellux
