#include <algorithm>

#include "platform/native_path.h"

namespace pellux::platform {

std::filesystem::path to_native_path(const std::string& text) {
    std::string native = text;
    std::replace(native.begin(), native.end(), '\\', '/');
    return std::filesystem::path(native);
}

std::string from_native_path(const std::filesystem::path& path) {
    std::string text = path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

}  // namespace pellux::platform
