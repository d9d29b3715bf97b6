#include <windows.h>

#include <string>

#include "platform/tree_removal.h"

namespace pellux::platform {
namespace {

std::error_code last_error() { return std::error_code(static_cast<int>(GetLastError()), std::system_category()); }

bool is_missing(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// The run-time library's removal follows junctions and directory links into whatever they point
// at (a game folder, say) and empties it. Here a reparse point is removed as the link it is.
void remove_entry(const std::wstring& path, std::error_code& error) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (!is_missing(GetLastError())) error = last_error();
        return;
    }
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && folder) {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_FILE_NOT_FOUND) {
                error = last_error();
                return;
            }
        } else {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                remove_entry(path + L"\\" + name, error);
            } while (!error && FindNextFileW(search, &found));
            FindClose(search);
            if (error) return;
        }
    }
    BOOL removed = folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
    // A folder link is removed as a folder on Windows; some systems (wine among them) take it
    // only as a file.
    if (!removed && folder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) removed = DeleteFileW(path.c_str());
    if (!removed && !is_missing(GetLastError())) error = last_error();
}

}  // namespace

void remove_tree(const std::filesystem::path& path, std::error_code& error) {
    error.clear();
    std::wstring native = path.native();
    while (native.size() > 3 && (native.back() == L'\\' || native.back() == L'/')) native.pop_back();
    remove_entry(native, error);
}

}  // namespace pellux::platform
