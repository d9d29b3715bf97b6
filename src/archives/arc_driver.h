// Extracting and rebuilding the game's ARC archives through the outside archive tool, with the
// IBIS archives of their bin folder unpacked after extraction and packed before rebuilding.
#pragma once

#include <string>

namespace pellux {

// output_folder ends with a backslash. True when the tool reported that it extracted files.
bool extract_arc(const std::string& archive_path, const std::string& output_folder);
// folder has no trailing backslash (e.g. "extract\abc"); on success arc_name receives "abc.arc",
// which lies in the folder's parent.
bool rebuild_arc(const std::string& folder, std::string& arc_name);

}  // namespace pellux
