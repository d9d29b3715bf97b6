#include "app/settings.h"

#include <fstream>
#include <iostream>

#include "app/globals.h"
#include "files/fs_text.h"
#include "platform/native_path.h"

namespace pellux {
namespace {

// Only the space counts as a blank: a tab the user typed into a value is kept.
std::string trim_blanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<SettingSpec> make_setting_specs() {
    return {
        {"", "", {app_title + " CONFIG"}},
        {"steam_path",
         "",
         {"'steam_path' is the location of your MVCC installation",
          "Example: steam_path=C:\\Program Files (x86)\\Steam\\steamapps\\common\\MVCC"}},
        {"music_path",
         "",
         {"'music_path' is the location where your music files are located", "Example: music_path=C:\\Music"}},
        {"num_menu_items",
         "20",
         {"The maximum number of items that will be displayed per page in the menus",
          "Default: 20 / Minimum Value: 5", "Example: num_menu_items=40"}},
    };
}

std::map<std::string, std::string> read_settings_file(const std::string& path, const std::vector<SettingSpec>& setting_specs) {
    std::map<std::string, std::string> values;
    for (const auto& setting : setting_specs) {
        if (!setting.key.empty()) values[setting.key] = setting.default_value;
    }

    const auto bytes = is_folder(path) ? std::nullopt : read_file_bytes(path);
    if (!bytes) {
        std::cerr << "Error: Could not open config file: " << path << std::endl;
        return values;
    }

    std::size_t start = 0;
    while (start < bytes->size()) {
        auto end = bytes->find('\n', start);
        if (end == std::string::npos) end = bytes->size();
        std::string line = bytes->substr(start, end - start);
        start = end + 1;
        // A file saved with Windows line ends reads the same on every platform.
        if (!line.empty() && line.back() == '\r') line.pop_back();

        line = trim_blanks(line);
        if (line.empty() || line.front() == '#') continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = trim_blanks(line.substr(0, equals));
        const auto it = values.find(key);
        if (it != values.end()) it->second = trim_blanks(line.substr(equals + 1));
    }
    return values;
}

void write_settings_file(const std::string& path, const std::map<std::string, std::string>& values,
                         const std::vector<SettingSpec>& setting_specs) {
    // Text mode: the platform's own line ends, CR LF on Windows.
    std::ofstream out;
    if (!is_folder(path)) out.open(platform::to_native_path(path), std::ios::out | std::ios::trunc);
    if (!out.is_open()) {
        std::cerr << "Error opening file: " << path << std::endl;
        return;
    }
    for (const auto& setting : setting_specs) {
        if (!setting.key.empty()) continue;
        for (const auto& help : setting.help_lines) out << "# " << help << "\n";
        out << "\n";
    }
    for (const auto& setting : setting_specs) {
        if (setting.key.empty()) continue;
        for (const auto& help : setting.help_lines) out << "# " << help << "\n";
        const auto it = values.find(setting.key);
        out << setting.key << "=" << (it == values.end() ? setting.default_value : it->second) << "\n";
        out << "\n";
    }
    out.close();
    // A write cut short (a full disk) must not pass for a saved file.
    if (out.fail()) std::cerr << "Error opening file: " << path << std::endl;
}

}  // namespace pellux
