// The alias file maps the game's terse file and member names to readable names, and back.
#pragma once

#include <map>
#include <string>

namespace pellux {

// Lower-case name (with its folder prefix, e.g. "mvsc2/f023.bin") -> alias as written.
inline std::map<std::string, std::string> alias_by_name;
// Lower-case alias (with the same folder prefix) -> name as written.
inline std::map<std::string, std::string> name_by_alias;

// Reads alias_file; true when it was opened and held no duplicate alias.
bool load_alias_table();

// The argument, followed by " : " and the alias when its last component has one.
std::string alias_display_name(const std::string& name_or_path);

}  // namespace pellux
