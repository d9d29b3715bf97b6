#include <windows.h>

#include <cstring>
#include <iostream>

#include "platform/registry.h"

namespace pellux::platform {

namespace {

HKEY native_root(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::local_machine:
            break;
    }
    return HKEY_LOCAL_MACHINE;
}

}  // namespace

bool read_registry_string(RegistryRoot root, const std::string& sub_key, const std::string& value_name,
                          std::string& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(native_root(root), sub_key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        std::cerr << "Failed to open registry key." << std::endl;
        return false;
    }
    char buffer[512];
    DWORD type = 0;
    DWORD length = sizeof buffer;
    const LONG status =
        RegQueryValueExA(key, value_name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &length);
    if (status != ERROR_SUCCESS) {
        std::cerr << "Failed to read registry value." << std::endl;
        RegCloseKey(key);
        return false;
    }
    RegCloseKey(key);
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        std::cerr << "Invalid value type (not a string)." << std::endl;
        return false;
    }
    // A string value is not always stored with its terminating zero; the text ends at the first
    // zero byte or at the end of the data, whichever comes first.
    const std::size_t size = length > sizeof buffer ? sizeof buffer : length;
    const void* zero = std::memchr(buffer, '\0', size);
    out.assign(buffer, zero ? static_cast<const char*>(zero) - buffer : size);
    return true;
}

}  // namespace pellux::platform
