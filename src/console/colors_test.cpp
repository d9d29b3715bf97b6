#include "console/colors.h"

#include "support/test_env.h"

namespace pellux {
namespace {

using ColorsTest = testing::PelluxTest;

TEST_F(ColorsTest, SequencesUseBrightCodesAboveSeven) {
    struct Case { int fg, bg; const char* sequence; };
    const Case cases[] = {{15, 4, "\x1b[97;44m"}, {15, 2, "\x1b[97;42m"}, {4, 11, "\x1b[34;103m"},
                          {0, 0, "\x1b[30;40m"},  {8, 15, "\x1b[90;107m"}};
    for (const auto& c : cases) EXPECT_EQ(color_sequence(c.fg, c.bg), c.sequence) << c.fg << "/" << c.bg;
}

TEST_F(ColorsTest, UnknownNameIsWhite) {
    EXPECT_EQ(color_number("purple"), 7);
    EXPECT_EQ(color_number("bright white"), 15);
    EXPECT_EQ(color_sequence(color_number("nope"), color_number("b")), "\x1b[37;44m");
}

TEST_F(ColorsTest, ColoredTextRestoresCurrentColours) {
    console_colors.foreground = 15;
    console_colors.background = 4;
    EXPECT_EQ(colored_text("[NO BACKUPS FOUND]", "bw", "br"), "\x1b[97;101m[NO BACKUPS FOUND]\x1b[97;44m");
    EXPECT_EQ(colored_text("x", "r", ""), "\x1b[31;44mx\x1b[97;44m");
    EXPECT_EQ(colored_text_by_number(" row ", 4, 11), "\x1b[34;103m row \x1b[97;44m");
}

TEST_F(ColorsTest, SetColorsKeepsBackgroundWhenNameEmpty) {
    ::testing::internal::CaptureStdout();
    set_colors("bw", "g");
    set_colors("r", "");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\x1b[97;42m\x1b[31;42m");
    EXPECT_EQ(console_colors.background, 2);
}

}  // namespace
}  // namespace pellux
