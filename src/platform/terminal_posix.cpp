#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/input_buffer.h"
#include "platform/terminal.h"

namespace pellux::platform {
namespace {

// A terminal sends an escape sequence in one burst; an Escape with nothing after it for this
// long was the Escape key itself.
constexpr int kLoneEscapeMs = 50;

struct termios saved_mode;
volatile std::sig_atomic_t raw_active = 0;


bool stdin_is_terminal() { return isatty(STDIN_FILENO) == 1; }

void flush_output() {
    std::cout.flush();
    std::fflush(stdout);
}

FillResult read_stdin(std::string& bytes, int timeout_ms) {
    for (;;) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&p, 1, timeout_ms);
        if (ready == 0) return FillResult::timed_out;
        if (ready < 0) {
            if (errno != EINTR) return FillResult::at_end;
            if (timeout_ms >= 0) return FillResult::timed_out;  // the caller counts what is left
            continue;
        }
        char chunk[4096];
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, static_cast<std::size_t>(n));
            return FillResult::got_bytes;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        return FillResult::at_end;
    }
}

termios raw_from(const termios& mode) {
    termios raw = mode;
    // Output processing and the signal keys stay, so printed line ends and Ctrl+C work as before.
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    return raw;
}

void restore_on_signal(int sig) {
    restore_terminal();
    // The handler was reset to the default when it ran; dying by the same signal tells the
    // parent shell the truth about how the program ended.
    raise(sig);
}

void stop_with_terminal_restored(int);

void install_stop_handler() {
    struct sigaction action {};
    action.sa_handler = stop_with_terminal_restored;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTSTP, &action, nullptr);
}

// Ctrl+Z: the shell gets its terminal back as it was while the program is stopped, and the
// program gets raw mode back when it goes on (the shell may have changed the mode meanwhile).
void stop_with_terminal_restored(int) {
    const int saved_errno = errno;
    const bool was_raw = raw_active != 0;
    restore_terminal();
    signal(SIGTSTP, SIG_DFL);
    // The signal is blocked while its handler runs; let the default action stop us right here.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(SIGTSTP);
    // Stopped here until SIGCONT.
    install_stop_handler();
    if (was_raw) {
        const termios raw = raw_from(saved_mode);
        if (tcsetattr(STDIN_FILENO, TCSADRAIN, &raw) == 0) raw_active = 1;
    }
    errno = saved_errno;
}

void install_signal_handlers() {
    struct sigaction current {};
    if (sigaction(SIGTSTP, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) install_stop_handler();
    // Every signal key the raw terminal still delivers (Ctrl+C, Ctrl+\\), and the ends a session sends.
    for (int sig : {SIGINT, SIGQUIT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(sig, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = restore_on_signal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND | SA_NODEFER;
        sigaction(sig, &action, nullptr);
    }
}

// Puts the terminal in canonical mode with echo for one line, and back afterwards.
class LineModeScope {
public:
    LineModeScope() : active_(raw_active != 0) {
        if (active_) tcsetattr(STDIN_FILENO, TCSADRAIN, &saved_mode);
    }
    ~LineModeScope() {
        if (active_ && raw_active) {
            const termios raw = raw_from(saved_mode);
            tcsetattr(STDIN_FILENO, TCSADRAIN, &raw);
        }
    }
    LineModeScope(const LineModeScope&) = delete;
    LineModeScope& operator=(const LineModeScope&) = delete;

private:
    bool active_;
};

}  // namespace

void enter_raw_mode() {
    if (raw_active || !stdin_is_terminal()) return;
    if (tcgetattr(STDIN_FILENO, &saved_mode) != 0) return;
    static bool hooks_installed = false;
    if (!hooks_installed) {
        hooks_installed = true;
        std::atexit(restore_terminal);
        install_signal_handlers();
    }
    const termios raw = raw_from(saved_mode);
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) == 0) raw_active = 1;
}

// Called from signal handlers too: only async-signal-safe calls in here.
void restore_terminal() {
    if (!raw_active) return;
    raw_active = 0;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_mode);
    // The program may have left the screen in its banner colours; the user's shell should not
    // inherit them.
    if (isatty(STDOUT_FILENO) == 1) {
        static const char reset[] = "\x1b[0m";
        [[maybe_unused]] const ssize_t n = write(STDOUT_FILENO, reset, sizeof reset - 1);
    }
}

int read_key() {
    flush_output();
    if (InputBuffer* script = script_buffer()) return next_key(*script, no_more_bytes, -1);
    const bool terminal = stdin_is_terminal();
    const int code = next_key(stdin_buffer(), read_stdin, terminal ? kLoneEscapeMs : -1);
    // Ctrl+D on a terminal ends one read, not the terminal.
    if (terminal) stdin_buffer().at_end = false;
    return code;
}

bool key_waiting() { return wait_for_key(0); }

bool wait_for_key(int milliseconds) {
    flush_output();
    if (InputBuffer* script = script_buffer()) return key_ready(*script, no_more_bytes, milliseconds);
    return key_ready(stdin_buffer(), read_stdin, milliseconds);
}

std::string read_line() {
    flush_output();
    if (InputBuffer* script = script_buffer()) return next_line(*script, no_more_bytes);
    if (!stdin_is_terminal()) return next_line(stdin_buffer(), read_stdin);
    std::string line;
    {
        LineModeScope line_mode;
        line = next_line(stdin_buffer(), read_stdin);
    }
    stdin_buffer().at_end = false;
    return line;
}

}  // namespace pellux::platform
