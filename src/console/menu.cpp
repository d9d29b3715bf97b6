#include "console/menu.h"

#include <algorithm>
#include <iostream>
#include <limits>

#include "app/globals.h"
#include "console/colors.h"
#include "files/command_runner.h"
#include "platform/glyphs.h"
#include "platform/terminal.h"

namespace pellux {
namespace {

void print_line(const std::string& line) { std::cout << line << "\n" << std::flush; }

std::string repeat(const std::string& glyph, std::size_t count) {
    std::string text;
    text.reserve(glyph.size() * count);
    for (std::size_t i = 0; i < count; ++i) text += glyph;
    return text;
}

const std::vector<std::string>& menu_help_lines() {
    static const std::vector<std::string> lines = {
        "MENU HELP",
        repeat(platform::box_glyphs().horizontal, 58),
        "Arrow Keys: Navigate Up/Down or Forward/Back pages",
        "Page Up/Down: Up or down a page",
        "Home/End: First/Last Entry",
        "Escape: Backs up or Quits",
        "Enter/Space: Select option",
    };
    return lines;
}

bool is_heading(const std::vector<MenuEntry>& entries, int row) {
    return row >= 0 && row < static_cast<int>(entries.size()) && entries[row].key.empty();
}

void render_menu_page(const std::vector<std::string>& title_lines, const std::vector<std::string>& text_lines,
                      const std::vector<MenuEntry>& entries, int row, int page_size) {
    run_system("CLS");
    if (!title_lines.empty()) print_box(title_lines, true);
    print_lines(text_lines, '-');

    const int last = static_cast<int>(entries.size()) - 1;
    const int page = row / page_size;
    // 64-bit so that a page size near the top of the int range cannot overflow the end bound.
    const long long first = static_cast<long long>(page_size) * page;
    const long long end = std::min<long long>(first + page_size, static_cast<long long>(last) + 1);

    if (page > 0) print_line("[PREVIOUS PAGE]");
    for (long long i = first; i < end; ++i) {
        const MenuEntry& entry = entries[static_cast<std::size_t>(i)];
        if (entry.key.empty()) {
            print_line("");
            if (!entry.label.empty()) print_line(" " + entry.label);
        } else if (i == row) {
            print_line(" " + colored_text_by_number(" " + entry.label + " ", 4, 11));
        } else {
            print_line("  " + entry.label);
        }
    }
    if (end <= last) print_line("[NEXT PAGE]");
    print_line("");
}

// Keeps the row inside the list and off headings, moving on in the direction of travel. Only one
// step is taken, so the cursor can rest on the second of two headings in a row; the extra clamp
// keeps a list that ends in a heading from sending the cursor past its end.
int normalise_row(const std::vector<MenuEntry>& entries, int row, int before) {
    const int last = static_cast<int>(entries.size()) - 1;
    row = std::clamp(row, 0, last);
    if (is_heading(entries, row)) {
        if (row <= 0)
            row = 1;
        else if (row > before)
            row += 1;
        else if (row < before)
            row -= 1;
    }
    return std::clamp(row, 0, last);
}

// Moves by a page without leaving the int range, whatever the page size.
int step_row(int row, long long delta) {
    return static_cast<int>(std::clamp<long long>(row + delta, -1, static_cast<long long>(std::numeric_limits<int>::max())));
}

}  // namespace

void print_box(const std::vector<std::string>& lines, bool centered) {
    const auto& glyphs = platform::box_glyphs();
    const std::size_t width = centered ? 66 : 60;
    const std::string margin = centered ? " " : "    ";
    const std::string rule = repeat(glyphs.horizontal, width);

    print_line(margin + glyphs.top_left + rule + glyphs.top_right);
    for (const auto& line : lines) {
        std::string text = line;
        if (platform::text_width(text) > width - 2) text = platform::first_characters(text, width - 5) + "...";
        const std::size_t length = platform::text_width(text);
        const std::size_t before = centered ? (width - length - 1) / 2 + 1 : 1;
        std::string filled = std::string(before, ' ') + text;
        const std::size_t filled_width = before + length;
        if (filled_width < width) filled += std::string(width - filled_width, ' ');
        print_line(margin + glyphs.vertical + filled + glyphs.vertical);
    }
    print_line(margin + glyphs.bottom_left + rule + glyphs.bottom_right);
}

void print_lines(const std::vector<std::string>& lines, char fill) {
    if (lines.empty()) return;
    print_line("");
    std::size_t longest = 0;
    for (const auto& line : lines) {
        print_line(" " + line);
        longest = std::max(longest, platform::text_width(line));
    }
    if (fill != '\0') print_line(std::string(longest + 2, fill));
}

std::string show_menu(const std::vector<std::string>& title_lines, const std::vector<std::string>& text_lines,
                      const std::vector<MenuEntry>& entries, int start_row, int page_size) {
    if (entries.empty()) return "quit";  // nothing to choose: leave as Escape would
    if (page_size == 0) page_size = num_menu_items;
    if (page_size <= 0) page_size = 20;  // a page size that cannot page would divide by zero

    const int last = static_cast<int>(entries.size()) - 1;
    const bool has_back =
        std::any_of(entries.begin(), entries.end(), [](const MenuEntry& e) { return e.key == "back"; });

    int row = start_row;
    if (is_heading(entries, row)) row += 1;
    row = std::clamp(row, 0, last);

    render_menu_page(title_lines, text_lines, entries, row, page_size);
    bool help_shown = false;

    for (;;) {
        const int key = platform::read_key();
        const int before = row;
        switch (key) {
            case 72:  // Up
                if (before == 0 || (before == 1 && is_heading(entries, 0)))
                    row = last;
                else
                    row = before - 1;
                break;
            case 80:  // Down
                if (before == last)
                    row = is_heading(entries, 0) ? 1 : 0;
                else
                    row = before + 1;
                break;
            case 73:  // Page Up
            case 75:  // Left
                row = step_row(before, -static_cast<long long>(page_size));
                break;
            case 81:  // Page Down
            case 77:  // Right
                row = step_row(before, page_size);
                break;
            case 71:  // Home
                row = 0;
                break;
            case 79:  // End
                row = last;
                break;
            case 13:
            case 32:
                last_menu_index = before;
                return entries[before].key;
            case 27:
            case 8:
                return has_back ? "back" : "quit";
            case 224:  // the second code of an extended key follows
                break;
            default:
                if (!help_shown) {
                    print_line("");
                    print_box(menu_help_lines(), false);
                    help_shown = true;
                }
                break;
        }
        row = normalise_row(entries, row, before);
        if (row != before) {
            render_menu_page(title_lines, text_lines, entries, row, page_size);
            help_shown = false;
        }
    }
}

}  // namespace pellux
