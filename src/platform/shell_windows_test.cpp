#include "platform/shell.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_env.h"

namespace pellux::platform {
namespace {

class ShellWindowsTest : public pellux::testing::PelluxTest {};

TEST_F(ShellWindowsTest, LettersOutsideAsciiReachTheCommandIntact) {
    const std::wstring wide_name = L"\u00e9t\u00e9 \u00fc.txt";
    char ansi[64] = {};
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, 0, wide_name.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_GT(length, 0);
    if (lossy) GTEST_SKIP() << "the ANSI code page has no such letters";
    shell_run(std::string("cmd /c echo x> \"") + ansi + "\"");
    EXPECT_TRUE(std::filesystem::exists(work_dir / wide_name));
}

TEST_F(ShellWindowsTest, CapturesLongLinesWholeAndReportsTheStatus) {
    const std::string long_word(700, 'a');
    std::string output;
    ASSERT_TRUE(shell_capture("cmd /c echo " + long_word, output));
    EXPECT_EQ(output, long_word + "\n");
    EXPECT_EQ(shell_run("cmd /c exit 3"), 3);
}

}  // namespace
}  // namespace pellux::platform
