// The paged full-screen menu every choice is made in, and the two block printers all screens use.
#pragma once

#include <string>
#include <vector>

namespace pellux {

// An entry with an empty key is a heading: it cannot be chosen.
struct MenuEntry {
    std::string key;
    std::string label;
};

// The row last chosen with Enter or Space in any menu.
inline int last_menu_index = 0;

// Lines inside a double-line box: centred (66 wide, one blank margin) or left-aligned (60 wide,
// four blanks margin).
void print_box(const std::vector<std::string>& lines, bool centered);

// Indented lines, then a rule of `fill` characters unless fill is '\0'. An empty list prints nothing.
void print_lines(const std::vector<std::string>& lines, char fill);

// Returns the chosen entry's key, or "back" / "quit" for Escape and Backspace.
// A page size of 0 means num_menu_items.
std::string show_menu(const std::vector<std::string>& title_lines, const std::vector<std::string>& text_lines,
                      const std::vector<MenuEntry>& entries, int start_row = 0, int page_size = 0);

}  // namespace pellux
