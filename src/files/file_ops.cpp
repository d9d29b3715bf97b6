#include "files/file_ops.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <regex>
#include <system_error>

#include "console/banner.h"
#include "console/menu.h"
#include "files/fs_text.h"
#include "platform/native_path.h"

namespace pellux {
namespace fs = std::filesystem;
using platform::from_native_path;
using platform::to_native_path;

namespace {

// The copy is written beside the target so that the final rename stays on one file system.
const char kCopySuffix[] = ".pellux-copy.tmp";
const char kAsideSuffix[] = ".pellux-old.tmp";

[[noreturn]] void fail_copy(const std::string& reason, const std::string& source, const std::string& target) {
    print_lines({"ERROR: " + reason, "SOURCE: " + source, "TARGET: " + target}, '*');
    show_banner({"ERROR"});
}

// Puts the finished copy in the target's place. Renaming over an existing file is refused by some
// platforms; then the old target is moved aside first and put back if the second step fails, so
// at every moment one complete version of the file is on disk.
bool move_into_place(const std::string& temporary, const std::string& target, std::string& reason) {
    if (rename_path(temporary, target, &reason)) return true;
    if (!path_exists(target)) return false;
    // A folder in the target's place is removed only when empty, as a plain delete would; one
    // with content is refused rather than moved aside and left under a name nobody knows.
    if (is_folder(target)) return remove_file(target, &reason) && rename_path(temporary, target, &reason);
    const std::string aside = target + kAsideSuffix;
    if (!rename_path(target, aside, &reason)) return false;
    if (!rename_path(temporary, target, &reason)) {
        rename_path(aside, target);
        return false;
    }
    remove_file(aside);
    return true;
}

struct Matcher {
    bool valid = false;
    std::regex pattern;
};

Matcher compile_pattern(const std::string& pattern) {
    Matcher matcher;
    try {
        matcher.pattern = std::regex(pattern, std::regex::ECMAScript | std::regex::icase);
        matcher.valid = true;
    } catch (const std::regex_error&) {
        // A pattern that does not compile matches nothing.
    }
    return matcher;
}

bool name_matches(const Matcher& matcher, const std::string& name) {
    if (!matcher.valid) return false;
    try {
        return std::regex_match(name, matcher.pattern);
    } catch (const std::regex_error&) {
        return false;  // a name too complex for the matcher is not a match
    }
}

bool is_note_file(const std::string& name) { return to_lower(extension_of(name)) == ".info"; }

bool keep_entry(const Matcher& matcher, const std::string& name, bool regular_file) {
    return regular_file && !is_note_file(name) && name_matches(matcher, name);
}

// Depth-first, entries in the order the file system gives them. A folder reached through a
// symbolic link is not entered, so a link loop cannot make the walk endless; an unreadable
// sub-folder only loses its own entries.
void walk(const std::string& folder, const Matcher& matcher, std::vector<FileEntry>& found) {
    std::error_code ec;
    fs::directory_iterator it(to_native_path(folder), ec);
    const fs::directory_iterator end;
    while (!ec && it != end) {
        const std::string name = from_native_path(it->path().filename());
        const std::string path = join_path(folder, name);
        std::error_code type_ec;
        const auto own_status = it->symlink_status(type_ec);
        if (!type_ec && fs::is_directory(own_status)) {
            walk(path, matcher, found);
        } else {
            std::error_code target_ec;
            const bool regular = it->is_regular_file(target_ec) && !target_ec;
            if (keep_entry(matcher, name, regular)) found.push_back({path, name});
        }
        it.increment(ec);
    }
}

// A relative path that climbs out of the base folder (or is absolute) would put a copy outside
// the target folder.
bool stays_inside(const fs::path& relative) {
    if (relative.empty() || relative.is_absolute() || relative.has_root_name()) return false;
    for (const auto& part : relative) {
        if (part == "..") return false;
    }
    return true;
}

}  // namespace

void copy_file_reporting(const std::string& source, const std::string& target, bool replace) {
    if (!path_exists(source)) show_banner({"ERROR: Source File does not exist", source});
    if (path_exists(target) && !replace) show_banner({"ERROR: File already exists", target});

    // A zero byte would cut the temporary name short and let the copy land on another file.
    if (target.find('\0') != std::string::npos) {
        fail_copy(std::make_error_code(std::errc::invalid_argument).message(), source, target);
    }
    const std::string temporary = target + kCopySuffix;
    std::error_code ec;
    fs::copy_file(to_native_path(source), to_native_path(temporary), fs::copy_options::overwrite_existing, ec);
    if (ec) {
        const std::string reason = ec.message();
        remove_file(temporary);
        fail_copy(reason, source, target);
    }
    std::string reason;
    if (!move_into_place(temporary, target, reason)) {
        remove_file(temporary);
        fail_copy(reason, source, target);
    }
}

void copy_files_relative(const std::vector<FileEntry>& files, const std::string& target_folder,
                         const std::string& base_folder, bool replace) {
    for (const auto& file : files) {
        std::error_code ec;
        const fs::path relative = fs::relative(to_native_path(file.path), to_native_path(base_folder), ec);
        if (ec) {
            std::cerr << "Error calculating relative path: " << ec.message() << std::endl;
            continue;
        }
        if (!stays_inside(relative)) {
            std::cerr << "Error calculating relative path: " << file.path << " is not inside " << base_folder
                      << std::endl;
            continue;
        }
        if (is_folder(file.path)) continue;
        const std::string destination = join_path(target_folder, from_native_path(relative));
        const std::string parent = parent_of(destination);
        if (!parent.empty()) create_folder(parent);
        copy_file_reporting(file.path, destination, replace);
    }
}

void create_folder(const std::string& folder) {
    if (path_exists(folder)) return;
    make_folders(folder);
    if (!path_exists(folder)) show_banner({"ERROR: Failed creating folder: " + folder});
}

std::vector<FileEntry> list_files(const std::string& folder, const std::string& pattern) {
    const Matcher matcher = compile_pattern(pattern);
    create_folder(folder);
    std::vector<FileEntry> found;
    walk(folder, matcher, found);
    return found;
}

std::vector<FileEntry> list_files_flat(const std::string& folder, const std::string& pattern) {
    const Matcher matcher = compile_pattern(pattern);
    create_folder(folder);
    std::vector<FileEntry> found;
    for (const auto& entry : folder_entries(folder)) {
        if (keep_entry(matcher, entry.name, entry.is_regular_file)) found.push_back({entry.path, entry.name});
    }
    return found;
}

int count_folders(const std::string& folder) {
    int count = 0;
    for (const auto& entry : folder_entries(folder)) {
        if (entry.is_folder) ++count;
    }
    return count;
}

std::string sanitize_file_name(const std::string& text) {
    static const std::string kForbidden = "\"*/:<>?\\|";
    std::string result = text;
    for (auto& c : result) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x80 || kForbidden.find(c) != std::string::npos) c = '_';
    }
    // "." and ".." name the folder itself and its parent: as a folder name they would lead
    // out of the folder the name was meant to go into.
    if (!result.empty() && result.find_first_not_of('.') == std::string::npos) {
        result.assign(result.size(), '_');
    }
    static const char* const kReserved[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                            "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                            "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    for (const char* reserved : kReserved) {
        if (result == reserved) {
            result += "_";
            break;
        }
    }
    return result;
}

std::string to_lower(const std::string& text) {
    std::string result = text;
    for (auto& c : result) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 'A' && byte <= 'Z') c = static_cast<char>(std::tolower(byte));
    }
    return result;
}

std::string format_size(std::uint64_t bytes) {
    static const char* const kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024.0 && unit < 4) {
        value *= 1.0 / 1024.0;
        ++unit;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %s", value, kUnits[unit]);
    return text;
}

}  // namespace pellux
