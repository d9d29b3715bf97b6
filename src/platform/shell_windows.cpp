#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/shell.h"

namespace pellux::platform {
namespace {

// The program's texts are in the ANSI code page; the wide calls keep letters outside ASCII
// intact on their way to the tools.
bool to_wide(const std::string& text, std::wstring& wide) {
    if (text.empty()) {
        wide.clear();
        return true;
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return false;
    wide.assign(static_cast<std::size_t>(length), L'\0');
    return MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length) == length;
}

void flush_output() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}

}  // namespace

int shell_run(const std::string& line) {
    flush_output();
    std::wstring wide;
    if (!to_wide(line, wide)) return std::system(line.c_str());
    return _wsystem(wide.c_str());
}

bool shell_capture(const std::string& line, std::string& output) {
    output.clear();
    flush_output();
    std::wstring wide;
    FILE* pipe = to_wide(line, wide) ? _wpopen(wide.c_str(), L"r") : _popen(line.c_str(), "r");
    if (pipe == nullptr) return false;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    _pclose(pipe);
    return true;
}

}  // namespace pellux::platform
