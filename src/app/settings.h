// The settings file config.ini: read once at start-up into the settings map, then rewritten from
// the known keys with their help comments, so that the file always documents itself.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace pellux {

// A record with an empty key is a header block that carries only comment lines.
struct SettingSpec {
    std::string key;
    std::string default_value;
    std::vector<std::string> help_lines;
};

// The header block, then steam_path, music_path and num_menu_items.
std::vector<SettingSpec> make_setting_specs();

// Every non-empty key of the setting records, with the file's value or else its default. A file that
// cannot be opened is reported on the error stream and gives the defaults.
std::map<std::string, std::string> read_settings_file(const std::string& path, const std::vector<SettingSpec>& setting_specs);

// Replaces the file with the header, each key's help lines and its value. A file that cannot be
// opened is reported on the error stream and left as it was.
void write_settings_file(const std::string& path, const std::map<std::string, std::string>& values,
                         const std::vector<SettingSpec>& setting_specs);

}  // namespace pellux
