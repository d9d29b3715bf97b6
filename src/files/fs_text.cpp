#include "files/fs_text.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/native_path.h"
#include "platform/tree_removal.h"

namespace pellux {
namespace fs = std::filesystem;
using platform::to_native_path;

namespace {

bool report(const std::error_code& ec, std::string* error) {
    if (!ec) return true;
    if (error) *error = ec.message();
    return false;
}

bool is_separator(char c) { return c == '\\' || c == '/'; }

// The system cuts a path at a zero byte, so such a text would name another file (a parent
// folder, when the zero follows a separator). No file has such a name.
bool nameable(const std::string& path) { return path.find('\0') == std::string::npos; }

bool refuse(std::string* error) {
    return report(std::make_error_code(std::errc::invalid_argument), error);
}

}  // namespace

bool path_exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && nameable(path) && fs::exists(to_native_path(path), ec) && !ec;
}

bool is_folder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && nameable(path) && fs::is_directory(to_native_path(path), ec) && !ec;
}

bool is_regular_file(const std::string& path) {
    std::error_code ec;
    return !path.empty() && nameable(path) && fs::is_regular_file(to_native_path(path), ec) && !ec;
}

std::optional<std::uint64_t> file_size_of(const std::string& path) {
    if (!nameable(path)) return std::nullopt;
    std::error_code ec;
    const auto size = fs::file_size(to_native_path(path), ec);
    if (ec) return std::nullopt;
    return static_cast<std::uint64_t>(size);
}

bool make_folders(const std::string& path, std::string* error) {
    if (!nameable(path)) return refuse(error);
    std::error_code ec;
    fs::create_directories(to_native_path(path), ec);
    return report(ec, error);
}

bool remove_file(const std::string& path, std::string* error) {
    if (!nameable(path)) return refuse(error);
    std::error_code ec;
    fs::remove(to_native_path(path), ec);
    return report(ec, error);
}

bool remove_tree(const std::string& path, std::string* error) {
    if (!nameable(path)) return refuse(error);
    std::error_code ec;
    platform::remove_tree(to_native_path(path), ec);
    return report(ec, error);
}

bool rename_path(const std::string& from, const std::string& to, std::string* error) {
    if (!nameable(from) || !nameable(to)) return refuse(error);
    std::error_code ec;
    fs::rename(to_native_path(from), to_native_path(to), ec);
    return report(ec, error);
}

std::vector<FolderEntry> folder_entries(const std::string& folder) {
    std::vector<FolderEntry> entries;
    if (!nameable(folder)) return entries;
    std::error_code ec;
    fs::directory_iterator it(to_native_path(folder), ec);
    const fs::directory_iterator end;
    while (!ec && it != end) {
        FolderEntry entry;
        entry.name = platform::from_native_path(it->path().filename());
        entry.path = join_path(folder, entry.name);
        std::error_code type_ec;
        entry.is_folder = it->is_directory(type_ec);
        entry.is_regular_file = it->is_regular_file(type_ec);
        entries.push_back(std::move(entry));
        it.increment(ec);
    }
    return entries;
}

std::string file_name_of(const std::string& path) {
    const auto pos = path.find_last_of("\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string stem_of(const std::string& path) {
    const std::string name = file_name_of(path);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return name;
    return name.substr(0, dot);
}

std::string extension_of(const std::string& path) {
    const std::string name = file_name_of(path);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return {};
    return name.substr(dot);
}

std::string parent_of(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && is_separator(trimmed.back())) trimmed.pop_back();
    const auto pos = trimmed.find_last_of("\\/");
    return pos == std::string::npos ? std::string() : trimmed.substr(0, pos);
}

std::string join_path(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (is_separator(folder.back())) return folder + name;
    return folder + "\\" + name;
}

std::optional<std::string> read_file_bytes(const std::string& path) {
    if (!nameable(path)) return std::nullopt;
    std::ifstream in(to_native_path(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool write_file_bytes(const std::string& path, const std::string& bytes) {
    if (!nameable(path)) return false;
    std::ofstream out(to_native_path(path), std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

bool path_lies_inside(const std::string& path, const std::string& folder) {
    const auto resolve = [](std::string text, fs::path& out) {
        while (!text.empty() && is_separator(text.back())) text.pop_back();
        if (text.empty() || !nameable(text)) return false;
        std::error_code ec;
        const fs::path absolute = fs::absolute(to_native_path(text), ec);
        if (ec) return false;
        out = fs::weakly_canonical(absolute, ec);
        return !ec;
    };
    fs::path inner, outer;
    if (!resolve(path, inner) || !resolve(folder, outer)) return false;
    auto i = inner.begin();
    for (const auto& part : outer) {
        if (part.empty()) continue;
        while (i != inner.end() && i->empty()) ++i;
        if (i == inner.end() || *i != part) return false;
        ++i;
    }
    while (i != inner.end() && i->empty()) ++i;
    return i != inner.end();
}

}  // namespace pellux
