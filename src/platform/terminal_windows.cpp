#include <conio.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>

#include "platform/input_buffer.h"
#include "platform/terminal.h"

namespace pellux::platform {
namespace {


HANDLE input_handle() { return GetStdHandle(STD_INPUT_HANDLE); }

bool input_is_console() {
    DWORD mode = 0;
    return GetConsoleMode(input_handle(), &mode) != 0;
}

void flush_output() {
    std::cout.flush();
    std::fflush(stdout);
}

int remaining_ms(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

// Standard input that is not a console (a pipe, a file, the tests under wine) is read as bytes
// and decoded as on a POSIX pipe.
FillResult read_piped(std::string& bytes, int timeout_ms) {
    const HANDLE handle = input_handle();
    if (timeout_ms >= 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        for (;;) {
            DWORD available = 0;
            if (!PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr)) {
                if (GetLastError() == ERROR_BROKEN_PIPE) return FillResult::at_end;
                break;  // not a pipe: a file reads without waiting
            }
            if (available > 0) break;
            const int left = remaining_ms(deadline);
            if (left == 0) return FillResult::timed_out;
            // A pipe has no handle to wait on; short sleeps keep the core free.
            Sleep(static_cast<DWORD>(std::min(left, 10)));
        }
    }
    char chunk[4096];
    DWORD n = 0;
    if (!ReadFile(handle, chunk, sizeof chunk, &n, nullptr) || n == 0) return FillResult::at_end;
    bytes.append(chunk, n);
    return FillResult::got_bytes;
}

// The console handle is signalled by every input event, also mouse, focus and key releases that
// _getch never returns; those are dropped so that the wait does not wake for them again.
void drop_one_non_key_event(HANDLE handle) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (PeekConsoleInputA(handle, &record, 1, &read) && read == 1) ReadConsoleInputA(handle, &record, 1, &read);
}

bool wait_for_console_key(int milliseconds) {
    const HANDLE handle = input_handle();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    for (;;) {
        if (_kbhit()) return true;
        const int left = remaining_ms(deadline);
        if (left == 0) return false;
        if (WaitForSingleObject(handle, static_cast<DWORD>(left)) != WAIT_OBJECT_0) return _kbhit() != 0;
        if (_kbhit()) return true;
        drop_one_non_key_event(handle);
    }
}

}  // namespace

void enter_raw_mode() {
    // The screens are drawn with ANSI colour sequences; the console must interpret them.
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(output, &mode)) SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void restore_terminal() {}

int read_key() {
    flush_output();
    if (InputBuffer* script = script_buffer()) return next_key(*script, no_more_bytes, -1);
    if (input_is_console()) return _getch();
    return next_key(stdin_buffer(), read_piped, -1);
}

bool key_waiting() { return wait_for_key(0); }

bool wait_for_key(int milliseconds) {
    flush_output();
    if (InputBuffer* script = script_buffer()) return key_ready(*script, no_more_bytes, milliseconds);
    if (input_is_console()) return wait_for_console_key(milliseconds);
    return key_ready(stdin_buffer(), read_piped, milliseconds);
}

std::string read_line() {
    flush_output();
    if (InputBuffer* script = script_buffer()) return next_line(*script, no_more_bytes);
    if (!input_is_console()) return next_line(stdin_buffer(), read_piped);
    std::string line;
    if (!std::getline(std::cin, line)) {
        std::cin.clear();
        return {};
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace pellux::platform
