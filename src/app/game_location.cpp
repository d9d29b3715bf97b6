#include "app/game_location.h"

#include "app/globals.h"
#include "files/fs_text.h"
#include "platform/registry.h"

namespace pellux {

namespace {
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 2634890";
const char kInstallValue[] = "InstallLocation";
}  // namespace

bool is_game_folder(const std::string& folder) {
    if (folder.empty()) return false;
    // The path is tested as given: a trailing backslash doubles the separator, which the file
    // system accepts. A path it refuses to examine counts as missing.
    for (const std::string& name : {game_exe, std::string("nativeDX11x64")}) {
        if (!path_exists(folder + "\\" + name)) return false;
    }
    return true;
}

void decide_game_folder() {
    const auto setting = settings.find("steam_path");
    if (setting != settings.end() && is_game_folder(setting->second)) {
        game_found = true;
        game_folder = setting->second;
        return;
    }
    std::string recorded;
    platform::read_registry_string(platform::RegistryRoot::local_machine, kUninstallKey, kInstallValue, recorded);
    if (is_game_folder(recorded)) {
        game_found = true;
        game_folder = recorded;
    }
}

}  // namespace pellux
