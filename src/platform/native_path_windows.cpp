#include <windows.h>

#include "platform/native_path.h"

namespace pellux::platform {

// Texts are in the ANSI code page, as the narrow Windows functions take them.
std::filesystem::path to_native_path(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return std::filesystem::path(wide);
}

std::string from_native_path(const std::filesystem::path& path) {
    std::wstring wide = path.native();
    for (auto& c : wide) {
        if (c == L'/') c = L'\\';
    }
    if (wide.empty()) return {};
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                        nullptr);
    return text;
}

}  // namespace pellux::platform
