// The program's paths are texts in the Windows form (backslash separators). This is the one place
// they become the operating system's paths, and back.
#pragma once

#include <filesystem>
#include <string>

namespace pellux::platform {

std::filesystem::path to_native_path(const std::string& text);
// A native path (or one of its components) as a program text, with backslash separators.
std::string from_native_path(const std::filesystem::path& path);

}  // namespace pellux::platform
