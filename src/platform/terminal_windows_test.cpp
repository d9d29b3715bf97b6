#include "platform/terminal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "support/test_env.h"

namespace pellux::platform {
namespace {

// Standard input that is not a console, as under a script or in CI: a pipe the test writes to.
class TerminalWindowsTest : public pellux::testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        saved_input_ = GetStdHandle(STD_INPUT_HANDLE);
        ASSERT_TRUE(CreatePipe(&read_end_, &write_end_, nullptr, 0));
        SetStdHandle(STD_INPUT_HANDLE, read_end_);
        clear_scripted_input();
    }
    void TearDown() override {
        SetStdHandle(STD_INPUT_HANDLE, saved_input_);
        if (write_end_ != nullptr) CloseHandle(write_end_);
        CloseHandle(read_end_);
        clear_scripted_input();
        PelluxTest::TearDown();
    }
    void type(const std::string& bytes) {
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(write_end_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }
    void end_input() {
        CloseHandle(write_end_);
        write_end_ = nullptr;
    }

    HANDLE saved_input_ = nullptr;
    HANDLE read_end_ = nullptr;
    HANDLE write_end_ = nullptr;
};

TEST_F(TerminalWindowsTest, PipedInputIsDecodedLikeAPosixPipe) {
    EXPECT_FALSE(key_waiting());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(wait_for_key(200));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));

    type("\x1b[B\x1bxname\r\n");
    EXPECT_TRUE(wait_for_key(1000));
    EXPECT_EQ(read_key(), 224);
    EXPECT_EQ(read_key(), 80);
    EXPECT_EQ(read_key(), 27);
    EXPECT_EQ(read_key(), 'x');
    EXPECT_EQ(read_line(), "name");

    end_input();
    EXPECT_TRUE(key_waiting());
    EXPECT_EQ(read_key(), 27);
    EXPECT_EQ(read_line(), "");
}

}  // namespace
}  // namespace pellux::platform
