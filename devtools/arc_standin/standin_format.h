// The stand-in archive tool's own container: a folder tree packed into one file, byte for byte,
// with sub-folders kept and no time stamps, members in sorted order so that the same tree always
// gives the same bytes. It has nothing in common with the game's ARC format.
//
// Layout (integers little-endian): "PXSTAND1", u32 entry count, then per entry: u8 kind
// (0 file, 1 folder), u32 path length, the relative path (UTF-8, "/" separated), and for a
// file u64 size and its bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace arc_standin {

// Packs the contents of folder into archive (written under a temporary name, then renamed).
bool pack_folder(const std::filesystem::path& folder, const std::filesystem::path& archive, std::string& error);

// Unpacks archive into folder, replacing files of the same name and removing nothing.
// files receives the number of files written. Refuses any member path that would leave folder.
bool unpack_archive(const std::filesystem::path& archive, const std::filesystem::path& folder,
                    std::uint64_t& files, std::string& error);

}  // namespace arc_standin
