// Text colours by short name, written as ANSI SGR sequences in the output text.
#pragma once

#include <map>
#include <string>

namespace pellux {

struct ConsoleColors {
    int foreground = 7;
    int background = 0;
    std::map<std::string, int> table;
};

ConsoleColors make_console_colors();
inline ConsoleColors console_colors = make_console_colors();

// 7 (white) for a name that is not in the table.
int color_number(const std::string& name);
std::string color_sequence(int foreground, int background);
void set_colors(const std::string& foreground, const std::string& background);
// An empty background name means the current background.
std::string colored_text(const std::string& text, const std::string& foreground, const std::string& background);
// A background of -1 means the current background.
std::string colored_text_by_number(const std::string& text, int foreground, int background = -1);

}  // namespace pellux
