#include "console/menu.h"

#include <gmock/gmock.h>

#include <iostream>

#include "app/globals.h"
#include "files/command_runner.h"
#include "platform/glyphs.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace keys = testing::keys;

std::string repeat(const std::string& glyph, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += glyph;
    return text;
}

std::string highlighted(const std::string& label) { return " \x1b[34;103m " + label + " \x1b[37;40m"; }

int count_of(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class MenuTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        // Each clear of the screen shows up in the output, so that the pages can be told apart.
        show_commands_in_output();
    }

    // Runs the menu and returns the pages it drew, one text per clear of the screen.
    std::vector<std::string> run_menu(const std::vector<MenuEntry>& entries, const std::string& key_bytes,
                                      std::string& chosen, int start_row = 0, int page_size = 0,
                                      const std::vector<std::string>& title = {},
                                      const std::vector<std::string>& text = {}) {
        set_keys(key_bytes);
        ::testing::internal::CaptureStdout();
        chosen = show_menu(title, text, entries, start_row, page_size);
        const std::string out = ::testing::internal::GetCapturedStdout();
        std::vector<std::string> pages;
        const std::string marker = "<CLS>\n";
        for (auto at = out.find(marker); at != std::string::npos;) {
            const auto next = out.find(marker, at + marker.size());
            pages.push_back(out.substr(at + marker.size(), next == std::string::npos ? std::string::npos
                                                                                    : next - at - marker.size()));
            at = next;
        }
        return pages;
    }

    static std::vector<MenuEntry> numbered(int count, bool heading_first) {
        std::vector<MenuEntry> entries;
        if (heading_first) entries.push_back({"", "HEAD"});
        for (int i = 0; i < count; ++i) entries.push_back({"k" + std::to_string(i), "e" + std::to_string(i)});
        return entries;
    }
};

TEST_F(MenuTest, DrawsTitleTextHeadingsAndHighlightedRow) {
    const auto& g = platform::box_glyphs();
    std::string chosen;
    const auto pages = run_menu({{"", "GROUP"}, {"a", "Alpha"}, {"", ""}, {"b", "Beta"}}, keys::enter, chosen, 0, 0,
                                {"AB"}, {"Note one", "Longer note"});
    ASSERT_EQ(pages.size(), 1u);
    const std::string expected = " " + g.top_left + repeat(g.horizontal, 66) + g.top_right + "\n" +  //
                                 " " + g.vertical + std::string(32, ' ') + "AB" + std::string(32, ' ') + g.vertical +
                                 "\n" + " " + g.bottom_left + repeat(g.horizontal, 66) + g.bottom_right + "\n" +
                                 "\n Note one\n Longer note\n-------------\n" +  //
                                 "\n GROUP\n" + highlighted("Alpha") + "\n\n  Beta\n\n";
    EXPECT_EQ(pages[0], expected);
    EXPECT_EQ(chosen, "a");
    EXPECT_EQ(last_menu_index, 1);
}

TEST_F(MenuTest, BoxLinesAreCutAndPaddedByCharacters) {
    const auto& g = platform::box_glyphs();
    const std::string seventy(70, 'x');
    ::testing::internal::CaptureStdout();
    print_box({seventy}, true);
    print_box({"", "\xc3\xbc" + std::string(64, 'y'), std::string(64, 'z'), "left"}, false);
    const std::string out = ::testing::internal::GetCapturedStdout();

    EXPECT_THAT(out, HasSubstr(" " + g.vertical + " " + std::string(61, 'x') + "... " + g.vertical + "\n"));
    std::size_t start = 0;
    int lines = 0;
    for (auto end = out.find('\n'); end != std::string::npos; start = end + 1, end = out.find('\n', start)) {
        const std::string line = out.substr(start, end - start);
        const std::size_t margin = lines < 3 ? 1 : 4;
        EXPECT_EQ(platform::text_width(line), margin + 2 + (lines < 3 ? 66 : 60)) << line;
        ++lines;
    }
    EXPECT_EQ(lines, 3 + 6);
    EXPECT_THAT(out, HasSubstr("    " + g.vertical + " left" + std::string(55, ' ') + g.vertical + "\n"));
}

TEST_F(MenuTest, PrintLinesRuleIsTwoLongerThanLongestLine) {
    ::testing::internal::CaptureStdout();
    print_lines({}, '*');
    print_lines({"ab", "abcd"}, '*');
    print_lines({"x"}, '\0');
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\n ab\n abcd\n******\n\n x\n");
}

TEST_F(MenuTest, TwentyOneEntriesMakeTwoPagesOfTwenty) {
    std::string chosen;
    const auto pages = run_menu(numbered(21, false), keys::end + keys::enter, chosen, 0, 20);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_THAT(pages[0], HasSubstr("  e19\n[NEXT PAGE]\n"));
    EXPECT_THAT(pages[0], Not(HasSubstr("PREVIOUS")));
    EXPECT_THAT(pages[0], Not(HasSubstr("e20")));
    EXPECT_EQ(pages[1], "[PREVIOUS PAGE]\n" + highlighted("e20") + "\n\n");
    EXPECT_EQ(chosen, "k20");
    EXPECT_EQ(last_menu_index, 20);
}

TEST_F(MenuTest, ZeroPageSizeUsesSetting) {
    num_menu_items = 10;
    std::string chosen;
    const auto pages = run_menu(numbered(12, false), keys::enter, chosen);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_THAT(pages[0], HasSubstr("  e9\n[NEXT PAGE]\n"));
}

TEST_F(MenuTest, NavigationKeys) {
    struct Case {
        const char* name;
        bool heading_first;
        int start_row;
        std::string key_bytes;
        int row;  // chosen row
    };
    // Eight entries (rows 0-7, or 1-8 under a heading), pages of three.
    const Case cases[] = {
        {"start on heading moves down", true, 0, keys::enter, 1},
        {"start beyond the list clamps", false, 99, keys::enter, 7},
        {"up from row 1 under heading wraps", true, 0, keys::up + keys::enter, 8},
        {"up from row 0 wraps", false, 0, keys::up + keys::enter, 7},
        {"down from last wraps past heading", true, 8, keys::down + keys::enter, 1},
        {"down from last wraps to top", false, 7, keys::down + keys::enter, 0},
        {"page down", false, 1, keys::page_down + keys::enter, 4},
        {"right is page down", false, 1, keys::right + keys::enter, 4},
        {"page down stops on last", false, 6, keys::page_down + keys::enter, 7},
        {"page up stops on row 0", false, 2, keys::page_up + keys::enter, 0},
        {"left stops past heading", true, 2, keys::left + keys::enter, 1},
        {"home past heading", true, 5, keys::home + keys::enter, 1},
        {"end", false, 0, keys::end + keys::enter, 7},
        {"capital P acts as down", false, 0, "P" + keys::enter, 1},
        {"space chooses", false, 3, " ", 3},
    };
    for (const auto& c : cases) {
        last_menu_index = -5;
        std::string chosen;
        run_menu(numbered(8, c.heading_first), c.key_bytes, chosen, c.start_row, 3);
        const int key_number = c.row - (c.heading_first ? 1 : 0);
        EXPECT_EQ(chosen, "k" + std::to_string(key_number)) << c.name;
        EXPECT_EQ(last_menu_index, c.row) << c.name;
    }
}

TEST_F(MenuTest, PageChangesRedrawOnlyWhenRowMoves) {
    std::string chosen;
    // Page Up on row 0 and Home on row 0 leave the row, so nothing is drawn again.
    const auto pages = run_menu(numbered(5, false), keys::page_up + keys::home + keys::down + keys::enter, chosen, 0, 3);
    EXPECT_EQ(pages.size(), 2u);
    EXPECT_EQ(chosen, "k1");
}

TEST_F(MenuTest, EscapeAndBackspaceLeaveWithoutChoosing) {
    const std::vector<MenuEntry> with_back = {{"a", "A"}, {"back", "[BACK]"}};
    const std::vector<MenuEntry> without_back = {{"a", "A"}, {"b", "B"}};
    struct Case {
        const std::vector<MenuEntry>* entries;
        std::string key_bytes;
        const char* result;
    };
    const Case cases[] = {{&with_back, keys::escape, "back"},
                          {&with_back, keys::backspace, "back"},
                          {&without_back, keys::escape, "quit"},
                          {&without_back, keys::down + keys::backspace, "quit"}};
    for (const auto& c : cases) {
        last_menu_index = 7;
        std::string chosen;
        run_menu(*c.entries, c.key_bytes, chosen);
        EXPECT_EQ(chosen, c.result);
        EXPECT_EQ(last_menu_index, 7);
    }
}

TEST_F(MenuTest, HelpBoxOncePerDrawnPage) {
    const auto& g = platform::box_glyphs();
    std::string chosen;
    const auto pages = run_menu(numbered(3, false), "55" + keys::down + "x9" + keys::enter, chosen);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(count_of(pages[0], "MENU HELP"), 1);
    EXPECT_EQ(count_of(pages[1], "MENU HELP"), 1);
    const std::string help = "\n    " + g.top_left + repeat(g.horizontal, 60) + g.top_right + "\n" +  //
                             "    " + g.vertical + " MENU HELP" + std::string(50, ' ') + g.vertical + "\n" +
                             "    " + g.vertical + " " + repeat(g.horizontal, 58) + " " + g.vertical + "\n";
    EXPECT_THAT(pages[0], HasSubstr(help));
    for (const char* line : {"Arrow Keys: Navigate Up/Down or Forward/Back pages", "Page Up/Down: Up or down a page",
                             "Home/End: First/Last Entry", "Escape: Backs up or Quits", "Enter/Space: Select option"}) {
        EXPECT_THAT(pages[0], HasSubstr(g.vertical + " " + line + " "));
    }
    EXPECT_EQ(chosen, "k1");
}

TEST_F(MenuTest, CursorCanRestOnSecondOfTwoHeadings) {
    std::string chosen;
    run_menu({{"a", "A"}, {"", "H1"}, {"", "H2"}, {"b", "B"}}, keys::down + keys::enter, chosen);
    EXPECT_EQ(chosen, "");
    EXPECT_EQ(last_menu_index, 2);
}

TEST_F(MenuTest, HugePageSizeDoesNotOverflow) {
    std::string chosen;
    const auto pages = run_menu(numbered(4, false), keys::page_down + keys::enter, chosen, 1, 2147483647);
    EXPECT_EQ(chosen, "k3");
    EXPECT_THAT(pages.back(), Not(HasSubstr("PAGE")));
}

}  // namespace
}  // namespace pellux
