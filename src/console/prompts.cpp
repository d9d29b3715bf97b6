#include "console/prompts.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "console/menu.h"
#include "files/command_runner.h"
#include "platform/terminal.h"

namespace pellux {
namespace {

void print_line(const std::string& line) { std::cout << line << "\n" << std::flush; }

// An extended key arrives as a prefix code and a second code; a wait that takes the key must take
// both, or the second code would act as a key press in the next menu.
void consume_key() {
    const int code = platform::read_key();
    if ((code == 224 || code == 0) && platform::key_waiting()) platform::read_key();
}

char option_key_character(std::size_t position) {
    return position < 9 ? static_cast<char>('1' + position) : static_cast<char>(position + 56);
}

void draw_multi_select(const std::vector<std::string>& options, const std::vector<bool>& chosen,
                       const std::vector<std::string>& title_lines) {
    run_system("CLS");
    print_lines(title_lines, '-');
    for (std::size_t i = 0; i < options.size(); ++i) {
        print_line(std::string("  [") + option_key_character(i) + "] " + (chosen[i] ? "[X] " : "[ ] ") + options[i]);
    }
    print_line("");
    print_line("Use numbers/letters to select/unselect, 0 or Enter to confirm.");
}

}  // namespace

void wait_key_or_timeout(int seconds) {
    print_line("Press any key to continue... (Timeout in " + std::to_string(seconds) + " seconds)");
    // A steady clock: a wall clock set back during the wait must not stretch it.
    const auto start = std::chrono::steady_clock::now();
    const long long limit_ms = static_cast<long long>(seconds) * 1000;
    for (;;) {
        if (platform::key_waiting()) {
            consume_key();
            return;
        }
        const long long elapsed_ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        if (elapsed_ms >= limit_ms) {
            print_line("");
            print_line("Timeout reached after " + std::to_string(seconds) + " seconds.");
            return;
        }
        // Block on the input for the time that remains instead of polling it in a busy loop.
        const long long remaining = limit_ms - elapsed_ms;
        platform::wait_for_key(static_cast<int>(std::min<long long>(remaining, 1000LL * 60 * 60)));
    }
}

void show_message(const std::vector<std::string>& title_lines, const std::vector<std::string>& message_lines) {
    if (!title_lines.empty()) {
        run_system("cls");
        print_box(title_lines, true);
    }
    print_lines(message_lines, '\0');
    print_line("");
    wait_key_or_timeout(10);
}

void pause_with_note(const std::string& note, int seconds) {
    if (!note.empty()) print_line(" ... " + note + " ...");
    wait_key_or_timeout(seconds);
}

std::string prompt_text(const std::string& prompt, const std::string& default_text) {
    std::cout << prompt << (default_text.empty() ? " : " : " [" + default_text + "]: ") << std::flush;
    std::string line = platform::read_line();
    return line.empty() ? default_text : line;
}

std::vector<std::string> multi_select(const std::vector<std::string>& options,
                                      const std::vector<std::string>& title_lines) {
    if (options.empty()) {
        std::cerr << "No options provided for the multi-select dropdown menu." << std::endl;
        return {};
    }
    std::vector<bool> chosen(options.size(), false);
    draw_multi_select(options, chosen, title_lines);
    for (;;) {
        const int code = platform::read_key();
        if (code == 27 || code == 8) return {};
        if (code == 13 || code == '0') break;
        long long position = -1;
        if (code >= '1' && code <= '9') {
            position = code - 49;
        } else if (code >= 'A' && code <= 'Z') {
            position = code - 56;
        } else if (code >= 'a' && code <= 'z') {
            position = code - 'a' + 'A' - 56;
        }
        if (position >= 0 && position < static_cast<long long>(options.size())) {
            chosen[static_cast<std::size_t>(position)] = !chosen[static_cast<std::size_t>(position)];
        }
        draw_multi_select(options, chosen, title_lines);
    }
    std::vector<std::string> result;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (chosen[i]) result.push_back(options[i]);
    }
    return result;
}

}  // namespace pellux
