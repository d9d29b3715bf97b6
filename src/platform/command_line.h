// How a command line of the program reads without a shell: words split the way the Windows
// tools split their command line (blanks between words, double quotes group and are removed,
// no escape characters), the redirections outside quotes, and the console commands that the
// Windows command processor knows by itself. Pure text work; shell_posix.cpp carries it out.
#pragma once

#include <string>
#include <vector>

namespace pellux::platform {

struct Redirection {
    enum class Kind { file, null_device, other_stream };
    int fd = 1;  // 1 standard output, 2 standard error
    Kind kind = Kind::file;
    std::string file;  // Kind::file: the target, slashes for backslashes
    bool append = false;
    int other_fd = 1;  // Kind::other_stream: 2>&1 joins fd 2 to 1
};

enum class Builtin { none, clear, title, color, pause, call, start };

struct CommandLine {
    std::vector<std::string> words;         // quotes removed, backslashes turned into slashes
    std::string program_text;               // the first word as written, quotes removed
    std::vector<Redirection> redirections;  // in the order they take effect
    Builtin builtin = Builtin::none;
    std::string builtin_arg;  // title text, colour code, program to call, file to start
    std::string error;        // not empty when the line cannot be run (a redirection without target)
};

CommandLine read_command_line(const std::string& line);

}  // namespace pellux::platform
