#include "app/startup.h"

#include <gmock/gmock.h>

#include <climits>
#include <iostream>

#include "app/globals.h"
#include "files/command_runner.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using ::testing::HasSubstr;

class StartupTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        for (const char* tool : {"mvcc_file_names.cfg", "ARCtool.exe", "7za.exe", "mvcc_files.json", "7za.dll"}) {
            write_file(std::string("tools\\") + tool, "");
        }
        write_file("game\\" + game_exe, "MZ");
        write_file("game\\nativeDX11x64\\arc\\pc\\keep", "");
        answer_every_command();
    }
};

TEST_F(StartupTest, PageSizeFromSetting) {
    struct Case {
        const char* value;
        int page_size;
    };
    const Case cases[] = {
        {"5", 20},           {"9", 20},           {"", 20},           {"abc", 20},
        {"10", 10},          {"   40", 40},        {"\t40", 40},        {"40abc", 40},
        {"+15", 15},         {"-40", 20},         {"- 40", 20},        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX}, {"99999999999", INT_MAX}, {"-99999999999", 20}, {"00012", 12},
    };
    for (const auto& c : cases) EXPECT_EQ(page_size_from_setting(c.value), c.page_size) << '"' << c.value << '"';
}

TEST_F(StartupTest, StartUpReadsSettingsFindsGameAndPreparesWorkspace) {
    write_file("config.ini", "steam_path=game\nnum_menu_items =  40 \nextra=1\n");
    write_file("backup\\arc\\a.arc", "A");
    ::testing::internal::CaptureStdout();
    start_up();
    const std::string out = ::testing::internal::GetCapturedStdout();

    ASSERT_FALSE(commands_ran().empty());
    EXPECT_EQ(commands_ran().front(), "title PELLUX MOD MANAGER v0.8.0");
    const std::string config = read_file("config.ini");
    EXPECT_THAT(config, HasSubstr("steam_path=game"));
    EXPECT_THAT(config, HasSubstr("num_menu_items=40"));
    EXPECT_THAT(config, ::testing::Not(HasSubstr("extra")));
    EXPECT_EQ(settings.at("steam_path"), "game");
    EXPECT_EQ(num_menu_items, 40);
    EXPECT_TRUE(game_found);
    EXPECT_EQ(game_folder, "game");
    EXPECT_TRUE(exists("extract\\"));
    EXPECT_EQ(read_file("backups\\default\\arc\\a.arc"), "A");
    // Bright white on blue, written last, when the game was found.
    ASSERT_GE(out.size(), 8u);
    EXPECT_EQ(out.substr(out.size() - 8), "\x1b[97;44m");
}

using StartupDeathTest = StartupTest;

TEST_F(StartupDeathTest, ProgramEndsThroughTheBannerWithStatusOne) {
    // Escape in the main menu; the banner's wait then ends at the end of the keys.
    EXPECT_EXIT(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            set_keys(testing::keys::escape);
            run_program();
        },
        ::testing::ExitedWithCode(1), HasSubstr("Press any key to continue... (Timeout in 5 seconds)"));
}

}  // namespace
}  // namespace pellux
