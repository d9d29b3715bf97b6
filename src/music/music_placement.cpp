#include "music/music_placement.h"

#include <chrono>
#include <cstdint>
#include <iostream>
#include <random>
#include <vector>

#include "app/globals.h"
#include "archives/alias_table.h"
#include "console/menu.h"
#include "console/prompts.h"
#include "files/file_ops.h"
#include "files/fs_text.h"

namespace pellux {
namespace {

const std::string kSoundFolder = "\\nativeDX11x64\\sound\\bgm\\";

const std::vector<std::string> kSystemSongs = {
    "sys\\wav\\cyt_ending.sngw", "sys\\wav\\cyt_gallery.sngw", "sys\\wav\\cyt_result.sngw",
    "sys\\wav\\cyt_select.sngw", "sys\\wav\\cyt_title.sngw",
};
const std::vector<std::string> kStageSongs = {
    "mvc2\\wav\\s000.sngw", "mvc2\\wav\\s010.sngw", "mvc2\\wav\\s020.sngw", "mvc2\\wav\\s030.sngw",
    "mvc2\\wav\\s040.sngw", "mvc2\\wav\\s050.sngw", "mvc2\\wav\\s060.sngw", "mvc2\\wav\\s070.sngw",
    "mvc2\\wav\\s080.sngw", "mvc2\\wav\\s090.sngw", "mvc2\\wav\\s0a0.sngw",
};
const std::vector<std::string> kOtherMvc2Songs = {
    "mvc2\\wav\\s0b0.sngw", "mvc2\\wav\\wins.sngw", "mvc2\\wav\\selc.sngw", "mvc2\\wav\\here.sngw",
    "mvc2\\wav\\capl.sngw", "mvc2\\wav\\cont.sngw", "mvc2\\wav\\over.sngw",
};

std::vector<std::string> joined(std::initializer_list<const std::vector<std::string>*> tables) {
    std::vector<std::string> all;
    for (const auto* table : tables) all.insert(all.end(), table->begin(), table->end());
    return all;
}

std::vector<std::string> targets_of_mode(const std::string& mode) {
    if (mode == "all") return joined({&kStageSongs, &kOtherMvc2Songs, &kSystemSongs});
    if (mode == "all_sys") return kSystemSongs;
    if (mode == "all_mvc2") return joined({&kStageSongs, &kOtherMvc2Songs});
    if (mode == "mvc2_stages") return kStageSongs;
    return {};
}

// The label a listed file gets in the music menus: its own folder's name, then the file name.
std::string holder_label(const FileEntry& file) { return file_name_of(parent_of(file.path)) + "\\" + file.name; }

std::uint64_t clock_seed() {
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace

std::vector<std::size_t> draw_file_numbers(std::size_t files, std::size_t draws, std::uint64_t seed) {
    std::vector<std::size_t> drawn;
    if (files == 0) return drawn;
    // Each draw picks among the numbers not yet used in this cycle, so it takes one step whatever
    // the number of files; a generator of 64 bits reaches every one of them.
    std::mt19937_64 generator(seed);
    std::vector<std::size_t> unused;
    drawn.reserve(draws);
    while (drawn.size() < draws) {
        if (unused.empty()) {
            for (std::size_t i = 0; i < files; ++i) unused.push_back(i);
        }
        std::uniform_int_distribution<std::size_t> pick(0, unused.size() - 1);
        const std::size_t at = pick(generator);
        drawn.push_back(unused[at]);
        unused[at] = unused.back();
        unused.pop_back();
    }
    return drawn;
}

void copy_ogg_to_game(const std::string& source) {
    const std::vector<std::string> title = {"COPY OGG TO STEAM", source};
    std::vector<MenuEntry> entries = {{"back", "Do Not Copy to Steam"}};
    const std::pair<const char*, const char*> groups[] = {{"mvc2\\wav\\", "MVC2 SONGS"},
                                                          {"sys\\wav\\", "SYSTEM SONGS"}};
    for (const auto& [subfolder, heading] : groups) {
        const auto files = list_files_flat(game_folder + kSoundFolder + subfolder, ".*");
        if (files.empty()) continue;
        entries.push_back({"", heading});
        for (const auto& file : files) entries.push_back({file.path, alias_display_name(file.name)});
    }
    if (entries.size() == 1) {
        show_message(title, {"No Steam target files found!"});
        return;
    }

    const std::string chosen = show_menu(title, {}, entries, 0, 0);
    if (chosen == "back" || chosen == "quit" || chosen.empty()) return;
    copy_file_reporting(source, chosen, true);
    std::cout << " ... " << source << " REPLACED " << chosen << " ... " << std::endl;
}

void copy_converted_music(const std::string& folder) {
    const std::vector<std::string> title = {"COPY CONVERTED MUSIC"};
    const auto files = list_files(folder, R"(.*\.(ogg|sngw))");
    if (files.empty()) {
        show_message(title, {"No ogg/sngw files found in: " + folder});
        return;
    }
    std::vector<MenuEntry> entries;
    for (const auto& file : files) entries.push_back({file.path, holder_label(file)});
    entries.push_back({"back", "[BACK]"});

    const std::string chosen = show_menu(title, {"SELECT FILE TO COPY"}, entries, 0);
    if (chosen == "back" || chosen == "quit") return;
    copy_ogg_to_game(chosen);
    pause_with_note("DONE", 5);
}

void copy_random_music() {
    const std::vector<std::string> title = {"COPY RANDOM MUSIC TO STEAM"};
    const auto files = list_files_flat(random_music_folder, R"(.*\.(ogg|sngw))");
    if (files.empty()) {
        show_message(title, {"No OGG/sngw files found in:", random_music_folder, "Copy any converted Files to this folder"});
        return;
    }
    const std::vector<std::string> text = {
        "INSTRUCTIONS:",
        "Place converted .OGG files into '" + random_music_folder + "'",
        "FOUND: [" + std::to_string(files.size()) + "] Random Files(s)",
        "",
        "Select which Music you would like to be randomized from your music",
    };
    const std::vector<MenuEntry> modes = {
        {"all", "All System / MVC2 Songs"},
        {"all_sys", "All System"},
        {"all_mvc2", "All MVC2 Songs"},
        {"mvc2_stages", "Only MVC2 Stages (Excluding Training Mode)"},
        {"back", "[BACK]"},
    };
    const std::vector<std::string> targets = targets_of_mode(show_menu(title, text, modes, 0));
    if (targets.empty()) return;

    const auto numbers = draw_file_numbers(files.size(), targets.size(), clock_seed());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const std::string& target = targets[i];
        const FileEntry& file = files[numbers[i]];
        std::cout << "SONG: " << alias_display_name(target) << " -> " << file.path << std::endl;
        copy_file_reporting(file.path, game_folder + kSoundFolder + target, true);
    }
    pause_with_note("DONE", 5);
}

}  // namespace pellux
