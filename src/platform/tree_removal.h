// Removing a folder with everything in it, without ever following a link out of it: a symbolic
// link or junction inside the folder goes, what it points at stays.
#pragma once

#include <filesystem>
#include <system_error>

namespace pellux::platform {

void remove_tree(const std::filesystem::path& path, std::error_code& error);

}  // namespace pellux::platform
