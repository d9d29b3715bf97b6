// Steam's own records of where it installed a game: its text format (quoted keys and values,
// nested braces, // comments), its roots under the home folder, its library folders and the
// application manifests in them. Native paths throughout; nothing here knows the operating system.
#pragma once

#include <string>
#include <vector>

namespace pellux::platform {

// One entry of Steam's text format: a key with either a text value or a block of entries.
struct VdfNode {
    std::string key;
    std::string value;
    bool is_block = false;
    std::vector<VdfNode> children;
};

// Reads the whole text into `root`, a block holding the top-level entries. False when the text is
// not well-formed (an unclosed quote or block, a stray closing brace, a key without a value).
bool parse_vdf(const std::string& text, VdfNode& root);

// The first entry of the block with this key, compared without regard to case; null when absent.
const VdfNode* vdf_child(const VdfNode& block, const std::string& key);

// The places Steam may live under a home folder, in the order they are tried.
std::vector<std::string> steam_roots(const std::string& home);

// The library folders of one Steam root: the root itself, then those its libraryfolders.vdf lists
// (either of its two formats). A list that cannot be read leaves the root alone.
std::vector<std::string> steam_libraries(const std::string& root);

enum class SteamLookup { found, no_record, unreadable, not_text };

// Searches every library of the roots for the application's manifest; on success `folder` is the
// library + "/steamapps/common/" + the manifest's installdir. When no manifest gives a folder the
// answer is the first failure met (a manifest that could not be read, or whose installdir is not
// a text), or no_record when there is no manifest at all.
// Steam's keys, like the registry's names, are compared without regard to case.
bool equal_ignoring_case(const std::string& a, const std::string& b);

SteamLookup find_app_install_folder(const std::vector<std::string>& roots, const std::string& app_id,
                                    std::string& folder);

}  // namespace pellux::platform
