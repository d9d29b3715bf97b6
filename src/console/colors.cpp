#include "console/colors.h"

#include <iostream>

namespace pellux {

ConsoleColors make_console_colors() {
    ConsoleColors colors;
    static const char* const long_names[] = {"black",        "red",          "green",        "yellow",
                                             "blue",         "magenta",      "cyan",         "white",
                                             "bright black", "bright red",   "bright green", "bright yellow",
                                             "bright blue",  "bright magenta", "bright cyan", "bright white"};
    static const char* const short_names[] = {"k",  "r",  "g",  "y",  "b",  "m",  "c",  "w",
                                              "bb", "br", "bg", "by", "bl", "bm", "bc", "bw"};
    for (int number = 0; number < 16; ++number) {
        colors.table[long_names[number]] = number;
        colors.table[short_names[number]] = number;
    }
    return colors;
}

int color_number(const std::string& name) {
    const auto it = console_colors.table.find(name);
    return it == console_colors.table.end() ? 7 : it->second;
}

std::string color_sequence(int foreground, int background) {
    const int fg_code = foreground <= 7 ? foreground + 30 : foreground + 82;
    const int bg_code = background <= 7 ? background + 40 : background + 92;
    return "\x1b[" + std::to_string(fg_code) + ";" + std::to_string(bg_code) + "m";
}

void set_colors(const std::string& foreground, const std::string& background) {
    console_colors.foreground = color_number(foreground);
    if (!background.empty()) console_colors.background = color_number(background);
    std::cout << color_sequence(console_colors.foreground, console_colors.background) << std::flush;
}

std::string colored_text(const std::string& text, const std::string& foreground, const std::string& background) {
    const int bg = background.empty() ? -1 : color_number(background);
    return colored_text_by_number(text, color_number(foreground), bg);
}

std::string colored_text_by_number(const std::string& text, int foreground, int background) {
    const int bg = background == -1 ? console_colors.background : background;
    return color_sequence(foreground, bg) + text +
           color_sequence(console_colors.foreground, console_colors.background);
}

}  // namespace pellux
