// The IBIS archives found in the bin folder of an ARC archive: numbered members, either with the
// member table at the start of the file (plain IBIS) or inside one AFS block at offset 64
// (IBIS/AFS). Members become files named F000.BIN and on, or the readable names of the alias file.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

namespace pellux {

// Unpacks the archive into output_folder (created, one level, when missing). Refuses, before
// writing anything, an archive whose member table points outside the file.
bool extract_ibis(const std::string& archive_path, const std::string& output_folder);

// Packs the numbered member files of source_folder into a new archive at output_path. A folder
// named mvsc2.* becomes an IBIS/AFS archive, any other a plain IBIS archive.
bool create_ibis(const std::string& source_folder, const std::string& output_path);

// "F" + three-digit number + ".BIN", or the alias of base_name/f###.bin when it is a safe file name.
std::string ibis_entry_name(int number, const std::string& base_name);

// The bytes at offset up to the first zero byte; a short read at the end of the file gives a
// shorter text. Throws std::runtime_error when the seek fails or the stream breaks.
std::string read_header_text(std::istream& archive, std::uint64_t offset, std::size_t count);

// Appends zero bytes until (write position - base_offset) is a multiple of alignment.
void pad_to_boundary(std::ostream& archive, std::uint64_t alignment, std::uint64_t base_offset);

}  // namespace pellux
