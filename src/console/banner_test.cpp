#include "console/banner.h"

#include <gmock/gmock.h>

#include <iostream>

#include "files/command_runner.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

using BannerDeathTest = testing::PelluxTest;

// A death test can only match what the dying process wrote to the error stream, so the banner
// (and every command line) is sent there.
void show_banner_on_error_stream(const std::vector<std::string>& error_lines) {
    std::cout.rdbuf(std::cerr.rdbuf());
    set_command_handler([](const std::string& line) -> std::optional<CommandOutcome> {
        std::cerr << "<" << line << ">\n";
        return CommandOutcome{};
    });
    show_banner(error_lines);
}

TEST_F(BannerDeathTest, QuietBannerEndsWithStatusOne) {
    EXPECT_EXIT(show_banner_on_error_stream({}), ::testing::ExitedWithCode(1),
                AllOf(HasSubstr("PELLUX MOD MANAGER v0.8.0"), HasSubstr("Made by the Pellux developers"),
                      HasSubstr("Report problems on the project's issue tracker"),
                      HasSubstr("Press any key to continue... (Timeout in 5 seconds)\n"), Not(HasSubstr("color"))));
}

TEST_F(BannerDeathTest, ErrorLinesTurnTheScreenRedAndWaitLonger) {
    EXPECT_EXIT(show_banner_on_error_stream({"Unable to copy:", "a\\b.arc"}), ::testing::ExitedWithCode(1),
                AllOf(HasSubstr("<color 4f>\n\n Unable to copy:\n a\\b.arc\n*****************\n"),
                      HasSubstr("PELLUX MOD MANAGER v0.8.0"),
                      HasSubstr("Press any key to continue... (Timeout in 99 seconds)\n")));
}

}  // namespace
}  // namespace pellux
