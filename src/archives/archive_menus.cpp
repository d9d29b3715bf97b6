#include "archives/archive_menus.h"

#include <iostream>

#include "app/globals.h"
#include "archives/alias_table.h"
#include "archives/arc_driver.h"
#include "backups/backup_sets.h"
#include "console/prompts.h"
#include "files/file_ops.h"
#include "files/fs_text.h"

namespace pellux {

namespace {

bool is_arc_file(const FolderEntry& entry) {
    if (!entry.is_regular_file || to_lower(extension_of(entry.name)) != ".arc") return false;
    // The archive is extracted into extract\ + its stem; a stem of dots alone ("...arc") would
    // name extract\ itself or the program folder, which "Delete Existing Folder" would then wipe.
    return stem_of(entry.name).find_first_not_of('.') != std::string::npos;
}

bool chose_nothing(const std::string& key) { return key.empty() || key == "back" || key == "quit"; }

}  // namespace

std::vector<MenuEntry> list_arc_files(const std::string& folder) {
    create_folder(folder);
    const auto entries = folder_entries(folder);
    std::vector<MenuEntry> aliased, plain;
    for (const auto& entry : entries) {
        if (!is_arc_file(entry)) continue;
        const auto alias = alias_by_name.find(to_lower(entry.name));
        if (alias != alias_by_name.end()) {
            aliased.push_back({entry.path, entry.name + " : " + alias->second});
        } else {
            plain.push_back({entry.path, entry.name});
        }
    }
    aliased.insert(aliased.end(), plain.begin(), plain.end());
    return aliased;
}

std::vector<MenuEntry> list_extracted_folders(const std::string& folder) {
    create_folder(folder);
    std::vector<MenuEntry> result;
    for (const auto& entry : folder_entries(folder)) {
        if (!entry.is_folder) continue;
        const auto alias = alias_by_name.find(to_lower(entry.name) + ".arc");
        result.push_back(
            {entry.path, entry.name + " : " + (alias != alias_by_name.end() ? alias->second : "[UNKNOWN FILE]")});
    }
    return result;
}

std::string choose_arc_file(const std::string& folder, const std::string& mode) {
    const std::vector<std::string> title_lines = {
        app_title, mode == "steam" ? "EXTRACT STEAM ARC FILES" : "EXTRACT BACKUP ARC FILES"};
    auto entries = list_arc_files(folder);
    if (entries.empty()) {
        show_message(title_lines, {"No ARC Files found in:", folder});
        return {};
    }
    entries.push_back({"back", "[BACK]"});
    const std::string key = show_menu(title_lines, {"SELECT ARC FILE TO EXTRACT"}, entries, 0, 0);
    return chose_nothing(key) ? std::string() : key;
}

std::string choose_extracted_folder(const std::string& folder) {
    const std::vector<std::string> title_lines = {"REBUILD ARC FILE"};
    auto entries = list_extracted_folders(folder);
    if (entries.empty()) {
        show_message(title_lines, {"No folders found in " + folder});
        return {};
    }
    entries.push_back({"back", "[BACK]"});
    const std::string key = show_menu(title_lines, {"SELECT FOLDER TO TURN INTO ARC"}, entries, 0, 0);
    return chose_nothing(key) ? std::string() : key;
}

void extract_arc_menu(const std::string& mode) {
    std::string folder;
    if (mode == "backup") {
        const std::string set = choose_backup_folder(backups_folder, {"EXTRACT BACKUP ARC FILES"});
        if (set.empty()) return;
        folder = backups_folder + set + "\\arc";
    } else {
        folder = game_folder + "\\nativeDX11x64\\arc\\pc";
    }

    const std::string archive = choose_arc_file(folder, mode);
    if (archive.empty()) return;

    const std::string target = extract_folder + stem_of(archive);
    if (path_exists(target)) {
        const std::string answer = show_menu(
            {target + " Already exists..."}, {"REMOVE EXISTING FOLDER"},
            {{"delete", "Delete Existing Folder"}, {"ignore", "Leave Folder There"}, {"back", "[BACK]"}}, 0, 0);
        if (answer == "delete") {
            // A link or junction placed in extract\ must not take the folder it points at with it.
            if (!path_lies_inside(target, extract_folder)) {
                std::cerr << "Error deleting folder: " << target << " does not lie inside " << extract_folder
                          << std::endl;
                return;
            }
            remove_tree(target);
        } else if (answer != "ignore") {
            return;
        }
    }
    extract_arc(archive, extract_folder);
    pause_with_note("DONE", 5);
}

void rebuild_arc_menu() {
    const std::string folder = choose_extracted_folder(extract_folder);
    if (folder.empty()) return;
    std::string arc_name;
    if (!rebuild_arc(folder, arc_name)) return;
    if (game_found) {
        const std::string answer = show_menu({"CREATED FILE " + arc_name}, {"COPY FILE TO STEAM"},
                                             {{"copy", "Copy to Steam"}, {"back", "Do Not Copy to Steam"}}, 0, 0);
        if (answer == "copy") {
            copy_file_reporting(extract_folder + arc_name, game_folder + "\\nativeDX11x64\\arc\\pc\\" + arc_name,
                                true);
        }
    }
    pause_with_note("DONE", 5);
}

}  // namespace pellux
