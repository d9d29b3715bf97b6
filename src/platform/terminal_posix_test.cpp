#include "platform/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/test_env.h"

namespace pellux::platform {
namespace {

bool is_raw(int fd) {
    termios mode{};
    tcgetattr(fd, &mode);
    return (mode.c_lflag & (ICANON | ECHO)) == 0 && (mode.c_lflag & ISIG) != 0 && (mode.c_oflag & OPOST) != 0;
}

bool is_cooked(int fd) {
    termios mode{};
    tcgetattr(fd, &mode);
    return (mode.c_lflag & (ICANON | ECHO)) == (ICANON | ECHO);
}

// A pseudo terminal standing in for the user's: the program reads the slave side as its
// standard input, the test types on the master side.
class TerminalPosixTest : public pellux::testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    }
    void TearDown() override {
        close(master_);
        close(slave_);
        PelluxTest::TearDown();
    }
    void type(const std::string& bytes) { ASSERT_EQ(write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }

    int master_ = -1;
    int slave_ = -1;
};

TEST_F(TerminalPosixTest, TerminalIsRestoredOnEveryWayOut) {
    // 0 stands for a normal exit(1), the way the fatal stop ends the program.
    for (const int way : {0, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(slave_, STDIN_FILENO);
            enter_raw_mode();
            if (!is_raw(STDIN_FILENO)) _exit(3);
            if (way == 0) std::exit(1);
            raise(way);
            _exit(4);  // the signal should have ended the process
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (way == 0) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        } else {
            // Restored, then ended by the signal itself, as the parent shell expects.
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == way) << status;
        }
        EXPECT_TRUE(is_cooked(slave_)) << way;
    }
}

TEST_F(TerminalPosixTest, SuspendingGivesTheShellItsTerminalAndResumingTakesItBack) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setpgid(0, 0);  // a group of its own with a parent outside it, so it can stop
        alarm(10);      // never outlive a broken test
        dup2(slave_, STDIN_FILENO);
        enter_raw_mode();
        raise(SIGTSTP);
        _exit(is_raw(STDIN_FILENO) ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
    const bool stopped = WIFSTOPPED(status);
    EXPECT_TRUE(stopped) << status;
    EXPECT_TRUE(is_cooked(slave_));
    if (!stopped) return;
    kill(child, SIGCONT);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Runs one test body with the pseudo terminal as standard input, and puts everything back.
class TerminalAsInput {
public:
    explicit TerminalAsInput(int slave) : saved_stdin_(dup(STDIN_FILENO)) {
        dup2(slave, STDIN_FILENO);
        clear_scripted_input();
        enter_raw_mode();
    }
    ~TerminalAsInput() {
        restore_terminal();
        dup2(saved_stdin_, STDIN_FILENO);
        close(saved_stdin_);
        clear_scripted_input();
        set_scripted_input("");
    }
    TerminalAsInput(const TerminalAsInput&) = delete;
    TerminalAsInput& operator=(const TerminalAsInput&) = delete;

private:
    int saved_stdin_;
};

TEST_F(TerminalPosixTest, DecodesKeysAndTimesALoneEscape) {
    TerminalAsInput input(slave_);
    ASSERT_TRUE(is_raw(slave_));
    type("\x1b[B");
    EXPECT_EQ(read_key(), 224);
    EXPECT_EQ(read_key(), 80);

    type("\x1b");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read_key(), 27);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(40));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));

    // No echo in raw mode: the master side receives nothing of what was typed.
    pollfd p{master_, POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 0), 0);
}

TEST_F(TerminalPosixTest, WaitsForAKeyWithoutSpinning) {
    TerminalAsInput input(slave_);
    EXPECT_FALSE(key_waiting());
    const auto clock_start = std::chrono::steady_clock::now();
    const std::clock_t cpu_start = std::clock();
    EXPECT_FALSE(wait_for_key(300));
    EXPECT_GE(std::chrono::steady_clock::now() - clock_start, std::chrono::milliseconds(290));
    EXPECT_LT(double(std::clock() - cpu_start) / CLOCKS_PER_SEC, 0.1);

    std::thread typist([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        type("k");
    });
    EXPECT_TRUE(wait_for_key(5000));
    typist.join();
    EXPECT_TRUE(key_waiting());  // buffered bytes count as waiting
    EXPECT_EQ(read_key(), 'k');
}

TEST_F(TerminalPosixTest, ReadLineEchoesInCanonicalModeForThatLineOnly) {
    TerminalAsInput input(slave_);
    bool cooked_while_reading = false;
    std::thread typist([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cooked_while_reading = is_cooked(slave_);
        type("my name\n");
    });
    EXPECT_EQ(read_line(), "my name");
    typist.join();
    EXPECT_TRUE(cooked_while_reading);
    EXPECT_TRUE(is_raw(slave_));
    char echo[64] = {};
    const ssize_t n = read(master_, echo, sizeof echo);
    EXPECT_EQ(std::string(echo, n > 0 ? std::size_t(n) : 0u).substr(0, 7), "my name");
}

}  // namespace
}  // namespace pellux::platform
