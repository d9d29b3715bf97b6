#include "standin_format.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <vector>

namespace arc_standin {
namespace fs = std::filesystem;
namespace {

const char kMagic[8] = {'P', 'X', 'S', 'T', 'A', 'N', 'D', '1'};
constexpr std::size_t kBlock = 1 << 20;
constexpr std::uint32_t kMaxPath = 4096;

struct Entry {
    std::string path;  // relative, "/" separated, UTF-8
    bool folder = false;
    fs::path source;
};

void put(std::ofstream& out, std::uint64_t value, int bytes) {
    char buffer[8];
    for (int i = 0; i < bytes; ++i) buffer[i] = static_cast<char>((value >> (8 * i)) & 0xff);
    out.write(buffer, bytes);
}

bool get(std::ifstream& in, std::uint64_t& value, int bytes) {
    unsigned char buffer[8];
    if (!in.read(reinterpret_cast<char*>(buffer), bytes)) return false;
    value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | buffer[i];
    return true;
}

std::string utf8_of(const fs::path& path) {
    const auto text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

fs::path path_of_utf8(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

bool copy_stream(std::istream& in, std::ostream& out, std::uint64_t count) {
    std::vector<char> block(kBlock);
    while (count > 0) {
        const auto chunk = static_cast<std::streamsize>(std::min<std::uint64_t>(count, block.size()));
        in.read(block.data(), chunk);
        if (in.gcount() != chunk) return false;
        out.write(block.data(), chunk);
        if (!out) return false;
        count -= static_cast<std::uint64_t>(chunk);
    }
    return true;
}

// A member path from an archive is hostile input: it must stay below the target folder.
bool is_safe_member_path(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.back() == '/') return false;
    if (path.find_first_of("\\:") != std::string::npos || path.find('\0') != std::string::npos) return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

bool pack_folder(const fs::path& folder, const fs::path& archive, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = "not a folder: " + folder.string();
        return false;
    }
    std::vector<Entry> entries;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        Entry entry;
        entry.source = it->path();
        entry.path = utf8_of(fs::relative(it->path(), folder, ec));
        if (ec) break;
        std::error_code type_ec;
        entry.folder = it->is_directory(type_ec);
        if (!entry.folder && !it->is_regular_file(type_ec)) continue;
        entries.push_back(std::move(entry));
    }
    if (ec) {
        error = "cannot list " + folder.string() + ": " + ec.message();
        return false;
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.path < b.path; });

    fs::path partial = archive;
    partial += ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + partial.string();
            return false;
        }
        out.write(kMagic, sizeof kMagic);
        put(out, entries.size(), 4);
        for (const auto& entry : entries) {
            put(out, entry.folder ? 1 : 0, 1);
            put(out, entry.path.size(), 4);
            out.write(entry.path.data(), static_cast<std::streamsize>(entry.path.size()));
            if (entry.folder) continue;
            std::ifstream in(entry.source, std::ios::binary);
            const auto size = fs::file_size(entry.source, ec);
            if (!in || ec) {
                error = "cannot read " + entry.source.string();
                break;
            }
            put(out, size, 8);
            if (!copy_stream(in, out, size)) {
                error = "cannot copy " + entry.source.string();
                break;
            }
        }
        out.close();
        if (error.empty() && out.fail()) error = "cannot write " + partial.string();
    }
    if (error.empty()) fs::rename(partial, archive, ec);
    if (error.empty() && ec) error = "cannot create " + archive.string() + ": " + ec.message();
    if (!error.empty()) {
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

bool unpack_archive(const fs::path& archive, const fs::path& folder, std::uint64_t& files, std::string& error) {
    files = 0;
    std::ifstream in(archive, std::ios::binary);
    if (!in) {
        error = "cannot open " + archive.string();
        return false;
    }
    char magic[sizeof kMagic];
    std::uint64_t count = 0;
    if (!in.read(magic, sizeof magic) || !std::equal(magic, magic + sizeof magic, kMagic) || !get(in, count, 4)) {
        error = archive.string() + " is not a stand-in archive (this tool does not read the game's ARC files)";
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t kind = 0;
        std::uint64_t length = 0;
        if (!get(in, kind, 1) || !get(in, length, 4) || kind > 1 || length > kMaxPath) {
            error = "damaged entry " + std::to_string(i) + " in " + archive.string();
            return false;
        }
        std::string path(static_cast<std::size_t>(length), '\0');
        if (!in.read(path.data(), static_cast<std::streamsize>(length))) {
            error = "damaged entry " + std::to_string(i) + " in " + archive.string();
            return false;
        }
        if (!is_safe_member_path(path)) {
            error = "refused member path outside the folder: " + path;
            return false;
        }
        const fs::path target = folder / path_of_utf8(path);
        if (kind == 1) {
            fs::create_directories(target, ec);
            continue;
        }
        std::uint64_t size = 0;
        if (!get(in, size, 8)) {
            error = "damaged entry " + std::to_string(i) + " in " + archive.string();
            return false;
        }
        fs::create_directories(target.parent_path(), ec);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        if (!out || !copy_stream(in, out, size)) {
            error = "cannot write " + target.string();
            return false;
        }
        ++files;
    }
    return true;
}

}  // namespace arc_standin
