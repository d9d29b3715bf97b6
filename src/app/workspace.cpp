#include "app/workspace.h"

#include <string>
#include <vector>

#include "app/globals.h"
#include "console/banner.h"
#include "files/file_ops.h"
#include "files/fs_text.h"

namespace pellux {

namespace {

struct FolderNote {
    std::string folder;
    std::string note;
};

}  // namespace

void prepare_workspace() {
    const std::vector<std::string> required = {alias_file, archive_tool, archiver_tool, file_index,
                                               tools_folder + "7za.dll"};
    for (const auto& path : required) {
        if (!path_exists(path)) {
            show_banner({"Unable to locate the necessary file:", path, "Please reinstall the Pellux Mod Manager"});
        }
    }

    ffmpeg_found = path_exists(ffmpeg_tool);

    std::vector<FolderNote> notes = {
        {extract_folder, "EXTRACTED ARC FILES WILL GO HERE"},
        {backups_folder, "BACKUP FOLDERS GO HERE"},
        {converted_music_folder, "CONVERTED MUSIC GOES HERE"},
        {random_music_folder, "MUSIC FOR RANDOM SELECTION"},
        {mods_folder, "MOD FILES WILL GO HERE"},
    };
    // Without ffmpeg there is nothing to convert, so the folder for music to convert stays away.
    if (ffmpeg_found) notes.push_back({music_folder, "PLACE MUSIC FILES TO CONVERT HERE"});

    for (const auto& entry : notes) {
        const std::string note_file = entry.folder + entry.note + ".info";
        if (path_exists(note_file)) continue;
        create_folder(entry.folder);
        write_file_bytes(note_file, "");  // a note that cannot be written only loses the hint
    }
}

}  // namespace pellux
