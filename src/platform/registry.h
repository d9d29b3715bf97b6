// The one question the program asks the Windows registry: where Steam installed the game. On
// Windows it is a registry read; elsewhere the same question is answered from Steam's own records.
#pragma once

#include <string>

namespace pellux::platform {

enum class RegistryRoot { local_machine };

// Fills `out` with a string value and returns true. Otherwise prints one of "Failed to open
// registry key.", "Failed to read registry value." or "Invalid value type (not a string)." on the
// error stream and returns false, leaving `out` as it was.
bool read_registry_string(RegistryRoot root, const std::string& sub_key, const std::string& value_name,
                          std::string& out);

}  // namespace pellux::platform
