#include "files/command_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/test_env.h"

namespace pellux {
namespace {

class CommandRunnerTest : public pellux::testing::PelluxTest {};

TEST_F(CommandRunnerTest, HandlerSeesTheExactLinesAndAnswersForTheProcessor) {
    std::vector<std::string> seen;
    set_command_handler([&](const std::string& line) -> std::optional<CommandOutcome> {
        seen.push_back(line);
        return CommandOutcome{7, "Extracted 3 files\n"};
    });
    EXPECT_EQ(run_system("tools\\ARCtool.exe -c -pc -txt -v 7 \"extract\\a\" >NUL 2>&1"), 7);
    EXPECT_EQ(run_command_output("tools\\ARCtool.exe -x \"a.arc\""), "Extracted 3 files\n");
    const std::vector<std::string> expected{"tools\\ARCtool.exe -c -pc -txt -v 7 \"extract\\a\" >NUL 2>&1",
                                            "tools\\ARCtool.exe -x \"a.arc\" 2>&1"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(commands_ran(), expected);
}

TEST_F(CommandRunnerTest, LinesTheHandlerLeavesAloneReachTheProcessor) {
    set_command_handler([](const std::string&) { return std::optional<CommandOutcome>{}; });
    // echo is a command of the Windows command processor (which keeps the blank before the
    // appended redirection) and a program on the POSIX PATH.
    EXPECT_THAT(run_command_output("echo hi"), ::testing::MatchesRegex("hi ?\n"));
    EXPECT_EQ(commands_ran(), std::vector<std::string>{"echo hi 2>&1"});
}

TEST_F(CommandRunnerTest, RecordsNothingWhileRecordingIsOff) {
    answer_every_command();
    record_commands(false);
    run_system("cls");
    EXPECT_TRUE(commands_ran().empty());
}

}  // namespace
}  // namespace pellux
