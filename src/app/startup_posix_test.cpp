// The terminal the program holds in raw mode, against a pseudo terminal: an uncaught exception
// must not leave the user's shell without echo.
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <exception>

#include "app/startup.h"
#include "support/test_env.h"

namespace pellux {
namespace {

bool is_cooked(int fd) {
    termios mode{};
    tcgetattr(fd, &mode);
    return (mode.c_lflag & (ICANON | ECHO)) == (ICANON | ECHO);
}

using StartupTerminalTest = testing::PelluxTest;

TEST_F(StartupTerminalTest, UncaughtExceptionRestoresTheTerminal) {
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(slave, STDIN_FILENO);
        hold_terminal();
        if (is_cooked(STDIN_FILENO)) _exit(3);  // raw mode was never entered: nothing to show
        // What an exception that nothing caught comes to; gtest would catch a real throw here.
        std::terminate();
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) << status;
    EXPECT_TRUE(is_cooked(slave));
    close(master);
    close(slave);
}

}  // namespace
}  // namespace pellux
