#include "app/game_launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "files/command_runner.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using GameLaunchTest = testing::PelluxTest;

TEST_F(GameLaunchTest, StartsTheQuotedExecutableAndWaits) {
    write_file("Steam Library\\MVCC\\MarvelVsCapcomFightingCollection.exe", "MZ");
    game_folder = "Steam Library\\MVCC";
    game_found = true;
    std::vector<std::string> handled;
    set_command_handler([&](const std::string& line) -> std::optional<CommandOutcome> {
        handled.push_back(line);
        return CommandOutcome{};
    });
    ::testing::internal::CaptureStdout();
    launch_game();
    const std::string out = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(handled, (std::vector<std::string>{
                           "call \"Steam Library\\MVCC\\MarvelVsCapcomFightingCollection.exe\""}));
    const auto starting = out.find(" ... STARTING MarvelVsCapcomFightingCollection.exe ...\n");
    const auto done = out.find(" ... DONE ...");
    ASSERT_NE(starting, std::string::npos) << out;
    ASSERT_NE(done, std::string::npos) << out;
    EXPECT_LT(starting, done);
    EXPECT_NE(out.find("Timeout in 5 seconds"), std::string::npos) << out;
}

TEST_F(GameLaunchTest, MissingExecutableIsReportedAndNothingRuns) {
    write_file("MVCC\\nativeDX11x64\\x", "");
    game_folder = "MVCC";
    game_found = true;
    ::testing::internal::CaptureStdout();
    launch_game();
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Unable to locate you game exe!"), std::string::npos) << out;
    EXPECT_NE(out.find("MVCC\\MarvelVsCapcomFightingCollection.exe"), std::string::npos) << out;
    EXPECT_NE(out.find("Timeout in 10 seconds"), std::string::npos) << out;
    EXPECT_EQ(out.find("STARTING"), std::string::npos) << out;
    for (const auto& line : commands_ran()) EXPECT_EQ(line.find("call"), std::string::npos) << line;
}

}  // namespace
}  // namespace pellux
