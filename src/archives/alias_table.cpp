#include "archives/alias_table.h"

#include <fstream>
#include <iostream>

#include "app/globals.h"
#include "files/file_ops.h"
#include "files/fs_text.h"
#include "platform/native_path.h"

namespace pellux {

bool load_alias_table() {
    // Only read, so a write-protected alias file (a read-only install) still gives its aliases.
    std::ifstream in(platform::to_native_path(alias_file), std::ios::binary);
    if (!in) return false;

    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;

        // A slash after the "=" belongs to the alias; only one before it opens a folder prefix.
        const auto slash = line.find('/');
        std::string prefix;
        std::string name;
        if (slash != std::string::npos && slash < equals) {
            prefix = line.substr(0, slash + 1);
            name = line.substr(slash + 1, equals - slash - 1);
        } else {
            name = line.substr(0, equals);
        }
        const std::string alias = line.substr(equals + 1);
        if (prefix.empty() && name.empty()) continue;
        if (alias.empty()) continue;

        const std::string forward_key = to_lower(prefix + name);
        const std::string reverse_key = to_lower(prefix + alias);
        alias_by_name[forward_key] = alias;

        const auto taken = name_by_alias.find(reverse_key);
        if (taken != name_by_alias.end()) {
            std::cerr << " ERROR: DUPLICATE FILE NAME FOUND IN ALIAS FILE: " << std::endl
                      << reverse_key << std::endl
                      << taken->second << std::endl;
            return false;
        }
        name_by_alias[reverse_key] = name;
    }
    return true;
}

std::string alias_display_name(const std::string& name_or_path) {
    const auto found = alias_by_name.find(to_lower(file_name_of(name_or_path)));
    if (found == alias_by_name.end()) return name_or_path;
    return name_or_path + " : " + found->second;
}

}  // namespace pellux
