#include "music/music_menus.h"

#include <iostream>
#include <vector>

#include "app/globals.h"
#include "console/menu.h"
#include "console/prompts.h"
#include "files/file_ops.h"
#include "files/fs_text.h"
#include "music/audio_conversion.h"
#include "music/music_placement.h"

namespace pellux {
namespace {

// The tracks of a DC mix, in the order they are converted; each replaces the game song of the
// same name in lower case.
const std::vector<std::string> kDcTracks = {
    "S000", "S010", "S020", "S030", "S040", "S050", "S060", "S070", "S080", "S090", "S0A0",
    "S0B0", "SELC", "CAPL", "CONT", "HERE", "MENU", "OPEN", "OVER", "RANK", "STAF", "WINS",
};

// The standard level, where the loudness menu's cursor starts.
constexpr int kStandardLoudnessRow = 4;

void show_ffmpeg_missing(const std::vector<std::string>& title) {
    show_message(title, {
                            "Unable to locate the FFMPEG.exe in the tools folder",
                            "1. Download ffmpeg download from:",
                            "   https://www.gyan.dev/ffmpeg/builds/",
                            "2. Place 'ffmpeg.exe' in the 'tools' folder",
                            "3. Try again",
                        });
}

std::string choose_loudness(const std::vector<std::string>& title, const std::vector<std::string>& text) {
    std::vector<MenuEntry> entries;
    for (const auto& [target, label] : loudness_levels()) entries.push_back({target, label});
    entries.push_back({"back", "[BACK]"});
    return show_menu(title, text, entries, kStandardLoudnessRow);
}

bool is_leave(const std::string& key) { return key == "back" || key == "quit" || key.empty(); }

void report_conversion_failure(const std::string& input) {
    std::cout << " ... ERROR: SOMETHING WENT WRONG CONVERTING ..." << std::endl;
    std::cout << " ... FILE: " << input << " ..." << std::endl;
}

// Every DC mix found under the folder: a heading naming the searched folder, then the folder
// that holds the mix's first track.
void add_dc_mixes(const std::string& folder, std::vector<MenuEntry>& entries) {
    // The first track's name, "ADX_S000" with any one character before "BIN".
    for (const auto& file : list_files(folder, ".*ADX_S000.BIN")) {
        const std::string holder = parent_of(file.path);
        entries.push_back({"", "FOLDERS IN " + folder});
        entries.push_back({holder, holder});
    }
}

// One pass of the DC mix dialogue; false when the user backed out of a question and the
// dialogue begins again.
bool convert_one_dc_mix(const std::string& folder, const std::vector<std::string>& title) {
    std::vector<MenuEntry> entries;
    add_dc_mixes(folder, entries);
    const auto user_music = settings.find("music_path");
    if (user_music != settings.end() && is_folder(user_music->second)) add_dc_mixes(user_music->second, entries);
    if (entries.empty()) {
        show_message(title, {"No DC Mixes found in: " + folder, "Place DC Mixes into that folder",
                             "Or setup the config.ini with the location of your music"});
        return true;
    }
    entries.push_back({"back", "[BACK]"});

    const std::string mix_folder = show_menu(title, {"SELECT FOLDER TO CONVERT"}, entries, 0);
    if (is_leave(mix_folder)) return true;
    const std::string mix_name = file_name_of(mix_folder);
    const std::string output_folder = converted_music_folder + mix_name;
    create_folder(output_folder);

    const std::string target = choose_loudness(title, {"SELECTED FOLDER:", mix_name, "", "Select Loudness Level?"});
    if (is_leave(target)) return false;

    bool copy_to_game = false;
    if (game_found) {
        const std::string answer = show_menu(title, {"SELECTED FOLDER:", mix_name, "", "Copy Files to Steam?"},
                                             {{"copy", "Copy Files to Steam"},
                                              {"no_copy", "Do Not Copy to Steam"},
                                              {"back", "[BACK]"}},
                                             0);
        if (answer != "copy" && answer != "no_copy") return false;
        copy_to_game = answer == "copy";
    }

    for (const auto& track : kDcTracks) {
        const std::string track_file = "ADX_" + track + ".BIN";
        const std::string input = mix_folder + "\\" + track_file;
        if (!path_exists(input)) {
            std::cout << " ... UNABLE TO LOCATE: '" << track_file << "' " << std::endl;
            continue;
        }
        std::cout << " ... CONVERTING: '" << track_file << "' ... " << std::endl;
        const std::string output = output_folder + "\\ADX_" + track + ".ogg";
        if (!convert_to_game_music(input, output, target)) {
            report_conversion_failure(input);
            continue;
        }
        if (copy_to_game) {
            copy_file_reporting(output, game_folder + "\\nativeDX11x64\\sound\\bgm\\mvc2\\wav\\" + to_lower(track) + ".sngw",
                                true);
            std::cout << " ... COPIED CONVERTED '" << track_file << "' TO STEAM ... " << std::endl;
        }
    }
    pause_with_note("DONE", 5);
    return true;
}

}  // namespace

void convert_music_menu(const std::string& folder) {
    const std::vector<std::string> title = {"CONVERT MUSIC"};
    if (!ffmpeg_found) {
        show_ffmpeg_missing(title);
        return;
    }
    for (;;) {
        std::vector<MenuEntry> entries;
        for (const auto& file : list_files(folder, ".*")) {
            entries.push_back({file.path, file_name_of(parent_of(file.path)) + "\\" + file.name});
        }
        if (entries.empty()) {
            show_message(title, {"No MP3s found in: " + folder, "Place any MP3s into that folder",
                                 "Or setup the config.ini with the location of your music"});
            return;
        }
        entries.push_back({"back", "[BACK]"});

        int cursor = 0;
        for (;;) {
            const std::string input = show_menu(title, {"SELECT MP3 TO CONVERT"}, entries, cursor);
            if (is_leave(input)) return;
            cursor = last_menu_index;

            const std::string target = choose_loudness({}, {"SELECTED FILE:", input, "", "Select Loudness Level?"});
            if (is_leave(target)) break;  // the list is read again, with the cursor back at the top

            const std::string output = converted_music_folder + stem_of(input) + ".ogg";
            std::cout << " ... CREATING " << output << " ..." << std::endl;
            if (!convert_to_game_music(input, output, target)) {
                report_conversion_failure(input);
                pause_with_note("DONE", 5);
                return;
            }
            if (game_found) {
                copy_ogg_to_game(output);
                std::cout << " ... RESTARTING ... " << std::endl;
                wait_key_or_timeout(3);
            }
        }
    }
}

void convert_dc_mix_menu(const std::string& folder) {
    const std::vector<std::string> title = {"CONVERT DC MIX"};
    for (;;) {
        if (!ffmpeg_found) {
            show_ffmpeg_missing(title);
            return;
        }
        if (convert_one_dc_mix(folder, title)) return;
    }
}

}  // namespace pellux
