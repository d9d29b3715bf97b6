// Timed waits against a real standard input that stays open without a key, which a script of
// keys cannot stand in for: a finished script reads as Escape at once.
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <iostream>
#include <thread>

#include "console/prompts.h"
#include "platform/terminal.h"
#include "support/test_env.h"

namespace pellux {
namespace {

class QuietInputTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        ASSERT_EQ(pipe(pipe_fds_), 0);
        saved_stdin_ = dup(STDIN_FILENO);
        ASSERT_GE(saved_stdin_, 0);
        ASSERT_EQ(dup2(pipe_fds_[0], STDIN_FILENO), STDIN_FILENO);
        platform::clear_scripted_input();
    }
    void TearDown() override {
        dup2(saved_stdin_, STDIN_FILENO);
        close(saved_stdin_);
        close(pipe_fds_[0]);
        close(pipe_fds_[1]);
        platform::clear_scripted_input();
        PelluxTest::TearDown();
    }
    void press(const std::string& bytes) {
        ASSERT_EQ(write(pipe_fds_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

private:
    int pipe_fds_[2] = {-1, -1};
    int saved_stdin_ = -1;
};

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(QuietInputTest, TimesOutWithoutBusyWaiting) {
    ::testing::internal::CaptureStdout();
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu_start = std::clock();
    wait_key_or_timeout(1);
    const double cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    const double elapsed = seconds_since(start);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Press any key to continue... (Timeout in 1 seconds)\n\nTimeout reached after 1 seconds.\n");
    EXPECT_GE(elapsed, 1.0);
    EXPECT_LT(elapsed, 2.0);
    EXPECT_LT(cpu, 0.3);
}

TEST_F(QuietInputTest, KeyDuringWaitEndsItAndGoesNoFurther) {
    std::thread typist([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        press("kz");
    });
    ::testing::internal::CaptureStdout();
    const auto start = std::chrono::steady_clock::now();
    wait_key_or_timeout(5);
    const double elapsed = seconds_since(start);
    typist.join();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Press any key to continue... (Timeout in 5 seconds)\n");
    EXPECT_GE(elapsed, 0.25);
    EXPECT_LT(elapsed, 2.0);
    EXPECT_EQ(platform::read_key(), 'z');
}

}  // namespace
}  // namespace pellux
