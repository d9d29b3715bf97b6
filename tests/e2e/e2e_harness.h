// Drives the real pellux binary from end-to-end tests: started in a workspace folder with bytes on
// a piped standard input, or inside a tmux pane for a real terminal. Every run has a time limit,
// so a program that hangs fails its test instead of blocking the suite.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace pellux::e2e {

namespace fs = std::filesystem;

struct ProcessResult {
    bool started = false;
    bool timed_out = false;
    int exit_status = -1;  // -1 when the process ended by a signal (or never ran)
    int signal = 0;
    std::string out;
    std::string err;
};

// Runs argv in `cwd` with `input` written to its standard input through a pipe, which is closed
// once written. Extra environment variables replace or add to the inherited ones. The whole
// process group is killed when the time is up.
inline ProcessResult run_process(const std::vector<std::string>& argv, const fs::path& cwd, const std::string& input,
                                 std::chrono::milliseconds limit,
                                 const std::map<std::string, std::string>& extra_env = {}) {
    ProcessResult result;
    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (pipe(in_pipe) != 0) return result;
    if (pipe(out_pipe) != 0) return result;
    if (pipe(err_pipe) != 0) return result;

    // The program may end before it has read all its keys; a write to the closed pipe must then
    // fail with EPIPE rather than kill the test binary.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);

    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) close(fd);
        signal(SIGPIPE, SIG_DFL);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : extra_env) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (pid > 0) setpgid(pid, pid);  // also here, so that a kill on time-out never misses the group
    close(in_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[1]);
    if (pid < 0) {
        for (int fd : {in_pipe[1], out_pipe[0], err_pipe[0]}) close(fd);
        sigaction(SIGPIPE, &previous, nullptr);
        return result;
    }
    result.started = true;
    fcntl(in_pipe[1], F_SETFL, O_NONBLOCK);

    int in_fd = in_pipe[1];
    std::size_t written = 0;
    if (input.empty()) {
        close(in_fd);
        in_fd = -1;
    }
    int out_fd = out_pipe[0], err_fd = err_pipe[0];
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (out_fd >= 0 || err_fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timed_out = true;
            kill(-pid, SIGKILL);
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[3];
        int n = 0;
        if (out_fd >= 0) fds[n++] = {out_fd, POLLIN, 0};
        if (err_fd >= 0) fds[n++] = {err_fd, POLLIN, 0};
        if (in_fd >= 0) fds[n++] = {in_fd, POLLOUT, 0};
        if (poll(fds, n, static_cast<int>(std::min<long long>(left.count(), 200))) < 0 && errno != EINTR) break;
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0) continue;
            if (fds[i].fd == in_fd) {
                const ssize_t w = write(in_fd, input.data() + written, input.size() - written);
                if (w > 0) written += static_cast<std::size_t>(w);
                if (w < 0 && errno != EAGAIN) written = input.size();
                if (written >= input.size()) {
                    close(in_fd);
                    in_fd = -1;
                }
                continue;
            }
            char buffer[4096];
            const ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
            std::string& target = fds[i].fd == out_fd ? result.out : result.err;
            if (r > 0) {
                target.append(buffer, static_cast<std::size_t>(r));
            } else if (r == 0 || errno != EINTR) {
                close(fds[i].fd);
                (fds[i].fd == out_fd ? out_fd : err_fd) = -1;
            }
        }
    }
    for (int fd : {in_fd, out_fd, err_fd}) {
        if (fd >= 0) close(fd);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    sigaction(SIGPIPE, &previous, nullptr);
    if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

// The program started in `workspace` with HOME pointing at an empty folder inside it, so that no
// Steam installation of the machine running the tests is ever found.
inline ProcessResult run_pellux(const fs::path& workspace, const std::string& keys,
                                std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const fs::path home = workspace / "home";
    fs::create_directories(home);
    return run_process({PELLUX_BINARY}, workspace, keys, limit, {{"HOME", home.string()}});
}

inline void write_text(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string read_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string find_program(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const fs::path candidate = fs::path(dir) / name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return "";
}

// A tools folder as a Linux user sets it up: the system's 7za and ffmpeg linked in, an empty
// 7za.dll, the stand-in archive tool, a small alias file and a small game file index.
struct ToolsOptions {
    bool with_ffmpeg = true;
};

inline void make_tools(const fs::path& workspace, const ToolsOptions& options = {}) {
    const fs::path tools = workspace / "tools";
    fs::create_directories(tools);
    fs::create_symlink(find_program("7za"), tools / "7za.exe");
    if (options.with_ffmpeg) fs::create_symlink(find_program("ffmpeg"), tools / "ffmpeg.exe");
    write_text(tools / "7za.dll", "");
    const std::string standin = ARC_STANDIN_BINARY;
    if (!standin.empty() && fs::exists(standin)) {
        fs::create_symlink(standin, tools / "ARCtool.exe");
    } else {
        write_text(tools / "ARCtool.exe", "");
    }
    write_text(tools / "mvcc_file_names.cfg",
               "[ARC files]\r\nmvsc2_ui.arc=Marvel vs. Capcom 2 Menus\r\n"
               "mvsc2/F010.BIN=Intro Logo.bin\r\n");
    write_text(tools / "mvcc_files.json",
               "{\n    \"arc\\\\mvsc2_ui\\\\bin\\\\mvsc2\\\\F010.BIN\": {\n"
               "        \"md5\": \"d41d8cd98f00b204e9800998ecf8427e\",\n        \"size\": 0\n    }\n}\n");
}

// A folder the program takes for the game: its executable and its data folder.
inline fs::path make_game(const fs::path& workspace) {
    const fs::path game = workspace / "game";
    fs::create_directories(game / "nativeDX11x64" / "arc" / "pc");
    fs::create_directories(game / "nativeDX11x64" / "sound" / "bgm");
    write_text(game / "MarvelVsCapcomFightingCollection.exe", "MZ");
    return game;
}

// The text with every escape sequence (CSI and OSC) removed.
inline std::string strip_escapes(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\x1b') {
            plain += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '[') {
            i += 2;
            while (i < text.size() && !(text[i] >= 0x40 && text[i] <= 0x7e)) ++i;
        } else if (i + 1 < text.size() && text[i + 1] == ']') {
            i += 2;
            while (i < text.size() && text[i] != '\x07' && !(text[i] == '\x1b' && i + 1 < text.size() && text[i + 1] == '\\')) ++i;
            if (i < text.size() && text[i] == '\x1b') ++i;
        } else {
            ++i;
        }
    }
    return plain;
}

// The pieces of the output that follow each screen clear, with the cursor movements that belong
// to the clear taken off their front. Whatever came before the first clear is dropped.
inline std::vector<std::string> screens_of(const std::string& out) {
    std::vector<std::string> screens;
    const std::string clear = "\x1b[2J";
    std::size_t at = out.find(clear);
    while (at != std::string::npos) {
        std::size_t start = at + clear.size();
        const std::size_t next = out.find(clear, start);
        // Home, scroll-back clears and the like ("\x1b[H", "\x1b[3J", "\x1b[1;1H").
        while (start + 1 < out.size() && out[start] == '\x1b' && out[start + 1] == '[') {
            std::size_t end = start + 2;
            while (end < out.size() && ((out[end] >= '0' && out[end] <= '9') || out[end] == ';')) ++end;
            if (end >= out.size() || out[end] == 'm') break;
            start = end + 1;
        }
        screens.push_back(out.substr(start, next == std::string::npos ? std::string::npos : next - start));
        at = next;
    }
    return screens;
}

// The codes of the last colour sequence (ESC [ ... m) in the text.
inline std::vector<int> last_sgr_codes(const std::string& text) {
    std::vector<int> codes;
    for (std::size_t at = text.find("\x1b["); at != std::string::npos; at = text.find("\x1b[", at + 1)) {
        std::size_t end = at + 2;
        while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == ';')) ++end;
        if (end >= text.size() || text[end] != 'm') continue;
        codes.clear();
        std::stringstream params(text.substr(at + 2, end - at - 2));
        std::string p;
        while (std::getline(params, p, ';')) codes.push_back(p.empty() ? 0 : std::atoi(p.c_str()));
    }
    return codes;
}

// The program's centred title box as the terminal shows it (UTF-8 box characters on POSIX).
inline std::string centred_box(const std::vector<std::string>& lines) {
    const int width = 66;
    std::string rule;
    for (int i = 0; i < width; ++i) rule += "\xe2\x95\x90";
    std::string box = " \xe2\x95\x94" + rule + "\xe2\x95\x97\n";
    for (const auto& line : lines) {
        const int length = static_cast<int>(line.size());
        std::string filled(static_cast<std::size_t>((width - length - 1) / 2 + 1), ' ');
        filled += line;
        filled.resize(width, ' ');
        box += " \xe2\x95\x91" + filled + "\xe2\x95\x91\n";
    }
    return box + " \xe2\x95\x9a" + rule + "\xe2\x95\x9d\n";
}

// The characters of a captured tmux line (capture-pane -e) that are drawn on a bright yellow
// background, the menu's highlight; empty when none is.
inline std::string highlighted_text(const std::string& line) {
    std::string text;
    int background = -1;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\x1b' && i + 1 < line.size() && line[i + 1] == '[') {
            std::size_t end = i + 2;
            while (end < line.size() && !(line[end] >= 0x40 && line[end] <= 0x7e)) ++end;
            if (end < line.size() && line[end] == 'm') {
                std::stringstream params(line.substr(i + 2, end - i - 2));
                std::string p;
                std::vector<int> codes;
                while (std::getline(params, p, ';')) codes.push_back(p.empty() ? 0 : std::atoi(p.c_str()));
                if (codes.empty()) codes.push_back(0);
                for (std::size_t k = 0; k < codes.size(); ++k) {
                    const int c = codes[k];
                    if (c == 0 || c == 49) background = -1;
                    else if ((c >= 40 && c <= 47) || (c >= 100 && c <= 107)) background = c;
                    else if (c == 38 || c == 48) {
                        const bool palette = k + 1 < codes.size() && codes[k + 1] == 5;
                        if (c == 48) background = -2;
                        k += palette ? 2 : 4;
                    }
                }
            }
            i = end;
            continue;
        }
        if (background == 103) text += line[i];
    }
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A tmux server of its own (its socket in a private temporary folder), with one session of a
// fixed size. The destructor ends that server and with it whatever still runs in its pane.
class TmuxSession {
public:
    TmuxSession() {
        static int counter = 0;
        socket_ = fs::temp_directory_path() /
                  ("pellux-tmux-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    }
    ~TmuxSession() {
        tmux({"kill-server"});
        std::error_code ec;
        fs::remove(socket_, ec);  // tmux leaves the socket file behind
    }
    TmuxSession(const TmuxSession&) = delete;
    TmuxSession& operator=(const TmuxSession&) = delete;

    bool start(const std::string& shell_command, int width, int height) {
        return tmux({"-f", "/dev/null", "new-session", "-d", "-x", std::to_string(width), "-y", std::to_string(height),
                     shell_command})
                   .exit_status == 0;
    }
    // Key names as tmux knows them ("Down", "Escape", "Enter") or literal text.
    void send_keys(const std::vector<std::string>& names) {
        std::vector<std::string> args = {"send-keys"};
        args.insert(args.end(), names.begin(), names.end());
        tmux(args);
    }
    std::string capture(bool with_escapes = false) {
        std::vector<std::string> args = {"capture-pane", "-p"};
        if (with_escapes) args.push_back("-e");
        return tmux(args).out;
    }
    std::string pane_tty() {
        std::string tty = tmux({"display-message", "-p", "#{pane_tty}"}).out;
        while (!tty.empty() && (tty.back() == '\n' || tty.back() == '\r')) tty.pop_back();
        return tty;
    }
    // Polls the screen until the condition holds or the time is up; true when it held.
    bool wait_for(const std::function<bool(const std::string&)>& condition, std::chrono::milliseconds limit,
                  bool with_escapes = false) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        do {
            if (condition(capture(with_escapes))) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }
    bool wait_for_text(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return wait_for([&](const std::string& screen) { return screen.find(text) != std::string::npos; }, limit);
    }

private:
    ProcessResult tmux(std::vector<std::string> args) {
        args.insert(args.begin(), {find_program("tmux"), "-S", socket_.string()});
        return run_process(args, fs::temp_directory_path(), "", std::chrono::seconds(10));
    }
    fs::path socket_;
};

// Polls until the file exists (and is not empty) or the time is up.
inline bool wait_for_file(const fs::path& path, std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::error_code ec;
    while (std::chrono::steady_clock::now() < deadline) {
        if (fs::exists(path, ec) && fs::file_size(path, ec) > 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace pellux::e2e
