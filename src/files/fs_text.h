// File-system helpers over the program's text paths. Every file-system call of the program goes
// through here or through file_ops.h; none of them throws, and a failure comes back as a flag
// (with the system's reason where the caller shows one).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellux {

bool path_exists(const std::string& path);  // file or folder alike; false when it cannot be examined
bool is_folder(const std::string& path);
bool is_regular_file(const std::string& path);  // after following a symbolic link
std::optional<std::uint64_t> file_size_of(const std::string& path);

bool make_folders(const std::string& path, std::string* error = nullptr);  // with every missing parent
bool remove_file(const std::string& path, std::string* error = nullptr);   // a file or an empty folder
bool remove_tree(const std::string& path, std::string* error = nullptr);   // with everything in it
bool rename_path(const std::string& from, const std::string& to, std::string* error = nullptr);

// The entries directly in a folder, in the order the file system gives them; empty (or what
// could be read) when the folder cannot be read.
struct FolderEntry {
    std::string name;
    std::string path;  // folder + "\" + name, or folder + name when the folder ends in a backslash
    bool is_folder = false;
    bool is_regular_file = false;
};
std::vector<FolderEntry> folder_entries(const std::string& folder);

// Path texts: the last component, that component without its extension, the extension (from the
// last dot, dot included), and everything before the last separator (no separator at the end).
std::string file_name_of(const std::string& path);
std::string stem_of(const std::string& path);
std::string extension_of(const std::string& path);
std::string parent_of(const std::string& path);
// folder + "\" + name, without doubling a backslash the folder already ends with.
std::string join_path(const std::string& folder, const std::string& name);

// True when path, with links and junctions resolved, lies strictly below folder; false when either
// cannot be resolved. Guards deletions that must stay inside a folder the program owns.
bool path_lies_inside(const std::string& path, const std::string& folder);

// Whole-file reads and writes in binary mode.
std::optional<std::string> read_file_bytes(const std::string& path);
bool write_file_bytes(const std::string& path, const std::string& bytes);

}  // namespace pellux
