#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>

#include "platform/command_line.h"
#include "platform/shell.h"
#include "platform/terminal.h"

namespace pellux::platform {
namespace {

// Steam starts the game itself; the program knows it by its application number.
const char* const kSteamAppId = "2634890";

// No child could be started at all (no pipe, no fork); never a status a child can give.
constexpr int kNotStarted = -2;

// What the program's child runs: the executable file and its argument vector.
struct Launch {
    std::string file;                 // empty when the program was not found
    std::vector<std::string> argv;
};

bool is_runnable_file(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::string> find_on_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return std::nullopt;
    const std::string dirs = path;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = dirs.find(':', begin);
        std::string dir = dirs.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        if (is_runnable_file(candidate) && access(candidate.c_str(), X_OK) == 0) return candidate;
        if (end == std::string::npos) return std::nullopt;
        begin = end + 1;
    }
}

// A program named with a folder is taken as named; a bare name is looked up on the PATH.
std::optional<std::string> locate(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        if (is_runnable_file(program)) return program;
        return std::nullopt;
    }
    return find_on_path(program);
}

bool is_windows_executable(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    char magic[2] = {};
    return in.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
}

// The real Windows tools a user drops into tools/ run through wine when it is there.
Launch launch_for(const std::vector<std::string>& words) {
    Launch launch;
    if (words.empty()) return launch;
    const auto file = locate(words[0]);
    if (!file) return launch;
    launch.file = *file;
    launch.argv = words;
    if (is_windows_executable(*file)) {
        if (const auto wine = find_on_path("wine")) {
            launch.file = *wine;
            launch.argv.insert(launch.argv.begin(), "wine");
        }
    }
    return launch;
}

std::string not_recognized(const std::string& program_text) {
    return "'" + program_text + "' is not recognized as an internal or external command,\n"
           "operable program or batch file.\n";
}

void write_all(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// Everything the child needs, prepared before fork: after it only async-signal-safe calls.
struct ChildPlan {
    Launch launch;
    std::string missing_message;
    std::vector<Redirection> redirections;
    int output_fd = -1;           // the capture pipe, or -1 to keep standard output
    bool quiet_input = false;     // the program's own piped keys must not reach the child
};

[[noreturn]] void run_child(const ChildPlan& plan, const std::vector<char*>& argv) {
    if (plan.output_fd >= 0) dup2(plan.output_fd, STDOUT_FILENO);
    if (plan.quiet_input) {
        const int null_in = open("/dev/null", O_RDONLY);
        if (null_in >= 0) dup2(null_in, STDIN_FILENO);
    }
    for (const auto& r : plan.redirections) {
        int target = -1;
        switch (r.kind) {
            case Redirection::Kind::other_stream:
                dup2(r.other_fd, r.fd);
                continue;
            case Redirection::Kind::null_device:
                target = open("/dev/null", O_WRONLY);
                break;
            case Redirection::Kind::file:
                target = open(r.file.c_str(), O_WRONLY | O_CREAT | (r.append ? O_APPEND : O_TRUNC), 0666);
                break;
        }
        if (target < 0) {
            static const char message[] = "The system cannot find the path specified.\n";
            [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, message, sizeof message - 1);
            _exit(1);
        }
        dup2(target, r.fd);
        close(target);
    }
    if (!plan.launch.file.empty()) execv(plan.launch.file.c_str(), argv.data());
    write_all(STDERR_FILENO, plan.missing_message);
    _exit(127);
}

// -1 when the status is lost (a parent that ignores SIGCHLD), as system() reports it then.
int wait_for(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

// Starts the plan's child and waits for it. With `captured`, its standard output comes back
// through a pipe.
int run_plan(ChildPlan plan, std::string* captured) {
    std::vector<char*> argv;
    for (auto& word : plan.launch.argv) argv.push_back(word.data());
    argv.push_back(nullptr);
    plan.quiet_input = isatty(STDIN_FILENO) != 1;

    int pipe_fds[2] = {-1, -1};
    if (captured != nullptr) {
        if (pipe(pipe_fds) != 0) return kNotStarted;
        plan.output_fd = pipe_fds[1];
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        if (captured != nullptr) {
            close(pipe_fds[0]);
            close(pipe_fds[1]);
        }
        return kNotStarted;
    }
    if (pid == 0) {
        if (captured != nullptr) close(pipe_fds[0]);
        run_child(plan, argv);
    }
    if (captured != nullptr) {
        close(pipe_fds[1]);
        char chunk[4096];
        for (;;) {
            const ssize_t n = read(pipe_fds[0], chunk, sizeof chunk);
            if (n > 0) {
                captured->append(chunk, static_cast<std::size_t>(n));
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                break;
            }
        }
        close(pipe_fds[0]);
    }
    return wait_for(pid);
}

ChildPlan plan_for(const std::vector<std::string>& words, const std::string& program_text,
                   const std::vector<Redirection>& redirections) {
    ChildPlan plan;
    plan.launch = launch_for(words);
    plan.missing_message = not_recognized(program_text);
    plan.redirections = redirections;
    return plan;
}

// Starts a program and leaves it running: the middle child exits at once and is reaped here, so
// the program belongs to init and leaves no zombie behind.
void spawn_detached(std::vector<std::string> words) {
    if (words.empty()) return;
    const auto program = find_on_path(words[0]);
    if (!program) return;
    const std::string program_path = *program;
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::cout.flush();
    std::fflush(nullptr);
    const pid_t middle = fork();
    if (middle < 0) return;
    if (middle == 0) {
        if (fork() == 0) {
            setsid();
            const int null_fd = open("/dev/null", O_RDWR);
            if (null_fd >= 0) {
                // A desktop opener chatters on its streams; the menu it would scribble on stays clean.
                dup2(null_fd, STDIN_FILENO);
                dup2(null_fd, STDOUT_FILENO);
                dup2(null_fd, STDERR_FILENO);
            }
            execv(program_path.c_str(), argv.data());
            _exit(127);
        }
        _exit(0);
    }
    wait_for(middle);
}

bool in_steam_library(const std::string& file) {
    std::string lowered = file;
    for (auto& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered.find("/steamapps/common/") != std::string::npos;
}

int call_program(const CommandLine& command, std::string* captured) {
    std::vector<std::string> words(command.words.begin() + 1, command.words.end());
    std::string program_text = command.builtin_arg;
    std::replace(program_text.begin(), program_text.end(), '/', '\\');
    const auto file = words.empty() ? std::nullopt : locate(words[0]);
    // A Steam game must be started by Steam, which sets up what the game expects.
    // The request is handed over without waiting: when the Steam client is not running yet, the
    // steam command would otherwise hold the menu until the client itself is closed.
    if (file && is_windows_executable(*file) && in_steam_library(*file)) {
        if (find_on_path("steam")) {
            spawn_detached({"steam", "-applaunch", kSteamAppId});
        } else {
            spawn_detached({"xdg-open", std::string("steam://rungameid/") + kSteamAppId});
        }
        return 0;
    }
    if (words.empty()) return 0;
    return run_plan(plan_for(words, program_text, command.redirections), captured);
}

// The console's sixteen colours as two hex digits, background then text; Windows numbers them
// blue-green-red, ANSI red-green-blue.
std::optional<std::string> colour_sequence(const std::string& code) {
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (code.empty()) return std::string("\x1b[0m");
    if (code.size() > 2) return std::nullopt;
    const int background = code.size() == 2 ? digit(code[0]) : 0;
    const int foreground = digit(code.back());
    if (background < 0 || foreground < 0 || background == foreground) return std::nullopt;
    const auto ansi = [](int windows) { return ((windows & 1) << 2) | (windows & 2) | ((windows & 4) >> 2); };
    const int fg = (foreground & 8 ? 90 : 30) + ansi(foreground);
    const int bg = (background & 8 ? 100 : 40) + ansi(background);
    return "\x1b[" + std::to_string(fg) + ";" + std::to_string(bg) + "m\x1b[J";
}

// Control bytes in a title would end the title sequence early and reach the screen.
std::string printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) out += c;
    }
    return out;
}

void emit(const std::string& text, std::string* captured) {
    if (captured != nullptr) {
        captured->append(text);
    } else {
        std::cout << text << std::flush;
    }
}

int run_builtin(const CommandLine& command, std::string* captured) {
    switch (command.builtin) {
        case Builtin::clear:
            emit("\x1b[2J\x1b[H", captured);
            return 0;
        case Builtin::title:
            emit("\x1b]0;" + printable(command.builtin_arg) + "\x07", captured);
            return 0;
        case Builtin::color: {
            const auto sequence = colour_sequence(command.builtin_arg);
            if (!sequence) return 1 << 8;
            emit(*sequence, captured);
            return 0;
        }
        case Builtin::pause: {
            emit("Press any key to continue . . . ", captured);
            const int code = read_key();
            if (code == 0 || code == 224) read_key();  // the rest of an extended key
            emit("\n", captured);
            return 0;
        }
        case Builtin::call:
            return call_program(command, captured);
        case Builtin::start:
            spawn_detached({"xdg-open", command.builtin_arg});
            return 0;
        case Builtin::none:
            break;
    }
    return 0;
}

int run_line(const std::string& line, std::string* captured) {
    const CommandLine command = read_command_line(line);
    if (!command.error.empty()) {
        const std::string message = command.error + "\n";
        if (captured != nullptr) {
            captured->append(message);
        } else {
            std::cerr << message << std::flush;
        }
        return 1 << 8;
    }
    if (command.builtin != Builtin::none) return run_builtin(command, captured);
    if (command.words.empty()) return 0;
    return run_plan(plan_for(command.words, command.program_text, command.redirections), captured);
}

}  // namespace

int shell_run(const std::string& line) {
    const int status = run_line(line, nullptr);
    return status == kNotStarted ? -1 : status;
}

bool shell_capture(const std::string& line, std::string& output) {
    output.clear();
    return run_line(line, &output) != kNotStarted;
}

}  // namespace pellux::platform
