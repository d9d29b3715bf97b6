#include "archives/ibis_codec.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <set>
#include <stdexcept>
#include <vector>

#include "archives/alias_table.h"
#include "console/progress_stream.h"
#include "files/file_ops.h"
#include "files/fs_text.h"
#include "platform/native_path.h"

namespace pellux {
namespace {

// Members are streamed through one block of this size: archives of tens of megabytes then take
// about as long as copying the file.
constexpr std::size_t kBlockSize = 1 << 20;

constexpr std::uint64_t kPlainDataStart = 64;
constexpr std::uint64_t kAfsStart = 64;
constexpr std::uint64_t kAfsTrailer = 0x80038;
constexpr std::uint64_t kAfsDataStart = 0x80040;
constexpr std::uint32_t kAfsTrailerMark = 42720;
constexpr std::uint64_t kAfsAlignment = 2048;

struct IbisEntry {
    std::string path;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
};

std::string to_upper(std::string text) {
    for (auto& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::uint32_t get_u32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void put_u32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// Copies exactly count bytes; false when the source ends early or either side fails.
bool copy_bytes(std::istream& in, std::ostream& out, std::uint64_t count, std::vector<char>& block) {
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

// An alias becomes a file name inside the member folder, so one that could climb out of it
// (or name a drive or stream on Windows) is not used.
bool is_safe_member_name(const std::string& name) {
    if (name.empty() || name == "." || name.find("..") != std::string::npos) return false;
    return name.find_first_of("/\\:") == std::string::npos;
}

bool three_digits_at(const std::string& text, std::size_t at, int& number) {
    if (text.size() < at + 3) return false;
    number = 0;
    for (std::size_t i = at; i < at + 3; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
    }
    return true;
}

// -1 for a file that is not a member.
int member_number(const std::string& lower_name, const std::string& source_name) {
    int number = 0;
    if (!lower_name.empty() && lower_name[0] == 'f' && three_digits_at(lower_name, 1, number)) return number;
    const auto found = name_by_alias.find(source_name + "/" + lower_name);
    if (found != name_by_alias.end() && three_digits_at(found->second, 1, number)) return number;
    return -1;
}

bool write_members(std::ofstream& out, const std::vector<IbisEntry>& entries, bool afs,
                   const std::string& read_error_prefix, const std::string& read_error_suffix) {
    std::vector<char> block(kBlockSize);
    for (const auto& entry : entries) {
        std::ifstream in(platform::to_native_path(entry.path), std::ios::binary);
        if (!in || !copy_bytes(in, out, entry.size, block)) {
            std::cerr << read_error_prefix << entry.path << read_error_suffix << std::endl;
            return false;
        }
        if (afs) pad_to_boundary(out, kAfsAlignment, kAfsStart);
    }
    return true;
}

// The finished header, then the members; the two variants word their errors differently.
bool write_archive(const std::string& output_path, const std::string& header, const std::vector<IbisEntry>& entries,
                   bool afs, const std::string& create_error, const std::string& read_error_prefix,
                   const std::string& read_error_suffix) {
    std::ofstream out(platform::to_native_path(output_path), std::ios::binary | std::ios::trunc);
    if (!out) {
        std::cerr << create_error << std::endl;
        return false;
    }
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    if (!write_members(out, entries, afs, read_error_prefix, read_error_suffix)) return false;
    out.close();
    if (out.fail()) {
        std::cerr << " ... Error writing Archive file: " << output_path << " ..." << std::endl;
        return false;
    }
    return true;
}

bool write_plain_ibis(const std::string& output_path, std::vector<IbisEntry>& entries) {
    // The table of more than 7 members would reach past offset 64; the data then starts right
    // after the table, and the reader takes every offset from the table anyway.
    const std::uint64_t table_end = 8 + 8 * static_cast<std::uint64_t>(entries.size());
    std::uint64_t position = std::max(kPlainDataStart, table_end);
    std::string header(static_cast<std::size_t>(position), '\0');
    header.replace(0, 4, "IBIS");
    put_u32(header, 4, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (position > std::numeric_limits<std::uint32_t>::max()) {
            std::cerr << " ... ERROR: " << output_path << " WOULD BE LARGER THAN 4 GB ..." << std::endl;
            return false;
        }
        entries[i].offset = static_cast<std::uint32_t>(position);
        put_u32(header, 8 + 8 * i, entries[i].offset);
        put_u32(header, 12 + 8 * i, entries[i].size);
        position += entries[i].size;
    }

    return write_archive(output_path, header, entries, false,
                         " ... Error creating Archive file: " + output_path + " ...", "ERROR: Reading file: ", "");
}

bool write_afs_ibis(const std::string& output_path, std::vector<IbisEntry>& entries) {
    // Offsets in the AFS block count from its start at 64; members start on 2048-byte boundaries.
    std::uint64_t position = kAfsDataStart - kAfsStart;
    std::string header(static_cast<std::size_t>(kAfsDataStart), '\0');
    header.replace(0, 4, "IBIS");
    put_u32(header, 4, 1);
    put_u32(header, 8, static_cast<std::uint32_t>(kAfsStart));
    header.replace(kAfsStart, 4, std::string("AFS\0", 4));
    put_u32(header, kAfsStart + 4, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].offset = static_cast<std::uint32_t>(position);
        put_u32(header, kAfsStart + 8 + 8 * i, entries[i].offset);
        put_u32(header, kAfsStart + 12 + 8 * i, entries[i].size);
        position += (entries[i].size + kAfsAlignment - 1) / kAfsAlignment * kAfsAlignment;
        if (position > std::numeric_limits<std::uint32_t>::max()) {
            std::cerr << " ... ERROR: " << output_path << " WOULD BE LARGER THAN 4 GB ..." << std::endl;
            return false;
        }
    }
    const auto block_size = static_cast<std::uint32_t>(position);
    put_u32(header, 12, block_size);
    put_u32(header, kAfsTrailer, block_size);
    put_u32(header, kAfsTrailer + 4, kAfsTrailerMark);

    return write_archive(output_path, header, entries, true, " ... Error creating Archive file ...",
                         " ... Error reading file: ", " ...");
}

struct MemberSpan {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// Reads and checks the member table; every member must lie inside the region that starts at
// region_start and runs to the end of the file.
bool read_member_table(std::istream& in, const std::string& archive_path, std::uint64_t region_start,
                       std::vector<MemberSpan>& members) {
    in.clear();
    in.seekg(0, std::ios::end);
    const auto end = in.tellg();
    const std::uint64_t file_size = end < 0 ? 0 : static_cast<std::uint64_t>(end);
    const std::uint64_t region_size = file_size > region_start ? file_size - region_start : 0;

    std::string head(8, '\0');
    in.seekg(static_cast<std::streamoff>(region_start));
    if (region_size < 8 || !in.read(head.data(), 8)) {
        std::cerr << " ... ERROR: " << archive_path << " IS TOO SHORT FOR ITS FILE TABLE ..." << std::endl;
        return false;
    }
    const std::uint64_t count = get_u32(head, 4);
    if (8 + 8 * count > region_size) {
        std::cerr << " ... ERROR: " << archive_path << " IS TOO SHORT FOR ITS TABLE OF " << count
                  << " FILE(S) ..." << std::endl;
        return false;
    }
    std::string table(static_cast<std::size_t>(8 * count), '\0');
    if (!in.read(table.data(), static_cast<std::streamsize>(table.size()))) {
        std::cerr << " ... ERROR: " << archive_path << " IS TOO SHORT FOR ITS TABLE OF " << count
                  << " FILE(S) ..." << std::endl;
        return false;
    }
    members.clear();
    for (std::size_t i = 0; i < count; ++i) {
        MemberSpan span{get_u32(table, 8 * i), get_u32(table, 8 * i + 4)};
        if (span.offset > region_size || span.size > region_size - span.offset) {
            std::cerr << " ... ERROR: FILE " << i << " OF " << archive_path << " LIES OUTSIDE THE ARCHIVE ..."
                      << std::endl;
            return false;
        }
        members.push_back(span);
    }
    return true;
}

}  // namespace

std::string read_header_text(std::istream& archive, std::uint64_t offset, std::size_t count) {
    archive.clear();
    archive.seekg(static_cast<std::streamoff>(offset));
    if (!archive) throw std::runtime_error("Failed to seek to the specified offset.");
    std::string bytes(count, '\0');
    archive.read(bytes.data(), static_cast<std::streamsize>(count));
    if (archive.bad() || (archive.fail() && !archive.eof())) {
        throw std::runtime_error("Failed to read the specified number of bytes.");
    }
    bytes.resize(static_cast<std::size_t>(archive.gcount()));
    archive.clear();
    const auto zero = bytes.find('\0');
    if (zero != std::string::npos) bytes.resize(zero);
    return bytes;
}

void pad_to_boundary(std::ostream& archive, std::uint64_t alignment, std::uint64_t base_offset) {
    if (alignment == 0) return;
    const auto position = archive.tellp();
    if (position < 0) return;
    const auto distance = static_cast<std::int64_t>(position) - static_cast<std::int64_t>(base_offset);
    const auto align = static_cast<std::int64_t>(alignment);
    const auto remainder = ((distance % align) + align) % align;
    if (remainder == 0) return;
    const std::string zeros(static_cast<std::size_t>(align - remainder), '\0');
    archive.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
}

std::string ibis_entry_name(int number, const std::string& base_name) {
    std::string digits = std::to_string(number);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    const std::string default_name = "F" + digits + ".BIN";
    const auto found = alias_by_name.find(to_lower(base_name + "/" + default_name));
    if (found != alias_by_name.end() && is_safe_member_name(found->second)) return found->second;
    return default_name;
}

bool extract_ibis(const std::string& archive_path, const std::string& output_folder) {
    if (!path_exists(archive_path)) {
        std::cerr << " Unable to locate file:" << std::endl << archive_path << std::endl;
        return false;
    }
    const std::string file_name = file_name_of(archive_path);
    const auto dot = file_name.find('.');
    std::string base_name = dot == std::string::npos ? "MVSC2" : to_upper(file_name.substr(0, dot));
    progress_out << " ... EXTRACTING FILE: " << archive_path << "-" << base_name << " ... " << std::endl;

    std::ifstream in(platform::to_native_path(archive_path), std::ios::binary);
    if (!in) {
        std::cerr << "Unable to open file:" << std::endl << archive_path << std::endl;
        return false;
    }
    try {
        if (read_header_text(in, 0, 4) != "IBIS") {
            std::cerr << " ... This does not appear to be a MVCC IBIS/AFS file! ... " << std::endl;
            return false;
        }
        if (read_header_text(in, kAfsStart, 3) == "AFS") base_name = "MVSC2";
    } catch (const std::exception& error) {
        std::cerr << error.what() << std::endl;
        return false;
    }

    const std::uint64_t region_start = base_name == "MVSC2" ? kAfsStart : 0;
    std::vector<MemberSpan> members;
    if (!read_member_table(in, archive_path, region_start, members)) return false;

    // Two members under one name (an alias equal to another member's name) would overwrite each
    // other; on Windows names differing only in case are one file.
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (std::size_t i = 0; i < members.size(); ++i) {
        names.push_back(ibis_entry_name(static_cast<int>(i), base_name));
        if (!taken.insert(to_lower(names.back())).second) {
            std::cerr << " ... ERROR: TWO FILES OF " << archive_path << " WOULD BE NAMED " << names.back()
                      << " ..." << std::endl;
            return false;
        }
    }

    if (!is_folder(output_folder)) make_folders(output_folder);
    if (!is_folder(output_folder)) {
        std::cerr << " ... ERROR CREATING FOLDER " << output_folder << " ..." << std::endl;
        return false;
    }

    std::vector<char> block(kBlockSize);
    for (std::size_t i = 0; i < members.size(); ++i) {
        const std::string member_path = join_path(output_folder, names[i]);
        std::ofstream out(platform::to_native_path(member_path), std::ios::binary | std::ios::trunc);
        if (!out) {
            std::cerr << " ... ERROR CREATING FILE " << names[i] << " ..." << std::endl;
            return false;
        }
        in.clear();
        in.seekg(static_cast<std::streamoff>(region_start + members[i].offset));
        if (!in || !copy_bytes(in, out, members[i].size, block)) {
            std::cerr << " ... ERROR WRITING FILE " << names[i] << " ..." << std::endl;
            return false;
        }
        out.close();
        if (out.fail()) {
            std::cerr << " ... ERROR WRITING FILE " << names[i] << " ..." << std::endl;
            return false;
        }
    }
    progress_out << " ... EXTRACTED: " << members.size() << " " << base_name << " FILE(S) TO " << output_folder
                 << " ... " << std::endl;
    return true;
}

bool create_ibis(const std::string& source_folder, const std::string& output_path) {
    std::string trimmed = source_folder;
    while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
    const std::string component = file_name_of(trimmed);
    const auto dot = component.find('.');
    if (dot == std::string::npos || dot == 0) {
        std::cerr << " ... Unable to determine source from path: " << component << " ..." << std::endl;
        return false;
    }
    const std::string source_name = to_lower(component.substr(0, dot));

    struct Member {
        std::string listed_name;
        std::string lower_name;
    };
    std::map<int, Member> numbered;
    for (const auto& entry : folder_entries(source_folder)) {
        if (!entry.is_regular_file) continue;
        Member member{entry.name, to_lower(entry.name)};
        const int number = member_number(member.lower_name, source_name);
        if (number < 0) continue;
        const auto taken = numbered.find(number);
        if (taken != numbered.end()) {
            std::cerr << " ERROR: Duplicate file number: " << number << " found!" << std::endl
                      << member.lower_name << " & " << taken->second.lower_name << std::endl;
            return false;
        }
        numbered.emplace(number, member);
    }
    if (numbered.empty()) {
        std::cerr << " ... ERROR: No Files found! ..." << std::endl;
        return false;
    }
    const int count = static_cast<int>(numbered.size());
    for (int number = 0; number < count; ++number) {
        if (numbered.count(number) == 0) {
            std::cerr << "ERROR: Missing file number:" << number << "!" << std::endl;
            return false;
        }
    }

    std::vector<IbisEntry> entries;
    for (const auto& [number, member] : numbered) {
        // The listed name, not the lower-cased one, so that case-sensitive file systems find it.
        IbisEntry entry;
        entry.path = join_path(trimmed, member.listed_name);
        const auto size = file_size_of(entry.path);
        if (!size || *size > std::numeric_limits<std::uint32_t>::max()) {
            std::cerr << "ERROR: Reading file: " << entry.path << std::endl;
            return false;
        }
        entry.size = static_cast<std::uint32_t>(*size);
        entries.push_back(entry);
    }

    progress_out << " ... CREATING:" << output_path << " ..." << std::endl
                 << " ... FROM " << source_folder << " (" << count << " FILES) ..." << std::endl;
    return source_name == "mvsc2" ? write_afs_ibis(output_path, entries) : write_plain_ibis(output_path, entries);
}

}  // namespace pellux
