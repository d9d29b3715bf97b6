// The file helpers every operation uses, with the program's fixed policies: a failed copy or
// folder creation ends the program through the fatal stop after saying what went wrong.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellux {

// One listed file: its path (the listed folder joined with sub-folders and the name) and its name.
struct FileEntry {
    std::string path;
    std::string name;
};

// Returns only on success. A replacing copy never loses the target: it is replaced only once
// the new content is complete.
void copy_file_reporting(const std::string& source, const std::string& target, bool replace);
void copy_files_relative(const std::vector<FileEntry>& files, const std::string& target_folder,
                         const std::string& base_folder, bool replace);
// Returns only when the folder exists.
void create_folder(const std::string& folder);
// Files whose whole name matches the pattern (ECMAScript, case ignored), ".info" notes skipped;
// a missing folder is created. list_files descends into sub-folders, list_files_flat does not.
std::vector<FileEntry> list_files(const std::string& folder, const std::string& pattern);
std::vector<FileEntry> list_files_flat(const std::string& folder, const std::string& pattern);
int count_folders(const std::string& folder);
std::string sanitize_file_name(const std::string& text);
std::string to_lower(const std::string& text);
std::string format_size(std::uint64_t bytes);

}  // namespace pellux
