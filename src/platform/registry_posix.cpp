#include <cctype>
#include <cstdlib>
#include <iostream>

#include "platform/native_path.h"
#include "platform/registry.h"
#include "platform/steam_records.h"

namespace pellux::platform {

namespace {

// The only keys that exist here are Steam's uninstall records: "...\Uninstall\Steam App <id>".
// Registry names are compared without regard to case.
bool app_id_of(const std::string& sub_key, std::string& app_id) {
    static const std::string kPrefix = "software\\microsoft\\windows\\currentversion\\uninstall\\steam app ";
    if (sub_key.size() <= kPrefix.size() || !equal_ignoring_case(sub_key.substr(0, kPrefix.size()), kPrefix)) {
        return false;
    }
    app_id = sub_key.substr(kPrefix.size());
    for (const char c : app_id) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool is_install_location(const std::string& name) { return equal_ignoring_case(name, "InstallLocation"); }

}  // namespace

bool read_registry_string(RegistryRoot, const std::string& sub_key, const std::string& value_name,
                          std::string& out) {
    std::string app_id;
    const char* home = std::getenv("HOME");
    if (!app_id_of(sub_key, app_id) || !home) {
        std::cerr << "Failed to open registry key." << std::endl;
        return false;
    }
    std::string folder;
    SteamLookup result = find_app_install_folder(steam_roots(home), app_id, folder);
    if (result == SteamLookup::found && !is_install_location(value_name)) result = SteamLookup::unreadable;
    switch (result) {
        case SteamLookup::found:
            out = from_native_path(folder);
            return true;
        case SteamLookup::no_record:
            std::cerr << "Failed to open registry key." << std::endl;
            return false;
        case SteamLookup::unreadable:
            std::cerr << "Failed to read registry value." << std::endl;
            return false;
        case SteamLookup::not_text:
            std::cerr << "Invalid value type (not a string)." << std::endl;
            return false;
    }
    return false;
}

}  // namespace pellux::platform
