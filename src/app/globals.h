// Process-wide values every part of the program reads: the title, the relative paths of the
// working folders and tool files, and the state decided once at start-up.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace pellux {

inline const std::string app_title = std::string("PELLUX MOD MANAGER") + " " + "v0.8.0";

inline const std::string tools_folder = "tools\\";
inline const std::string alias_file = tools_folder + "mvcc_file_names.cfg";
inline const std::string archive_tool = tools_folder + "ARCtool.exe";
inline const std::string ffmpeg_tool = tools_folder + "ffmpeg.exe";
inline const std::string archiver_tool = tools_folder + "7za.exe";
inline const std::string file_index = tools_folder + "mvcc_files.json";

inline const std::string mods_folder = "mods\\";
inline const std::string extract_folder = "extract\\";
inline const std::string music_folder = "music\\";
inline const std::string backups_folder = "backups\\";
inline const std::string converted_music_folder = "ogg_music\\";
inline const std::string random_music_folder = converted_music_folder + "_random\\";
inline const std::string mod_temp_folder = "modTmpFolder\\";
inline const std::string pending_folder = "mods_pending\\";
inline const std::string mod_source_folder = "MOD_FOLDER\\";

inline const std::string registry_archive = "mod_package.zip";
inline const std::string registry_file = "mod_package.json";
inline const std::string game_exe = "MarvelVsCapcomFightingCollection.exe";
inline const std::string settings_file = "config.ini";
inline const std::string descriptor_name = "pellux.json";

inline const std::vector<std::string> mod_types = {"Palettes", "Music Mod", "Sound Effects", "Stage Mod",
                                                   "Border Mod", "UI Mod", "Bug Fix", "Other"};

// Set during start-up and only read afterwards.
inline std::map<std::string, std::string> settings;
inline int num_menu_items = 20;
inline std::string game_folder;
inline bool game_found = false;
inline bool ffmpeg_found = false;

}  // namespace pellux
