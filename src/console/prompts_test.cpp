#include "console/prompts.h"

#include <gmock/gmock.h>

#include <chrono>
#include <iostream>

#include "files/command_runner.h"
#include "platform/terminal.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
namespace keys = testing::keys;

class PromptsTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        show_commands_in_output();
    }
};

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(PromptsTest, KeyEndsWaitAtOnceAndIsConsumed) {
    struct Case {
        const char* name;
        std::string key_bytes;
    };
    const Case cases[] = {{"plain key", "x"}, {"extended key, both codes", keys::down}};
    for (const auto& c : cases) {
        set_keys(c.key_bytes + "y");
        ::testing::internal::CaptureStdout();
        const auto start = std::chrono::steady_clock::now();
        wait_key_or_timeout(30);
        const double elapsed = seconds_since(start);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Press any key to continue... (Timeout in 30 seconds)\n")
            << c.name;
        EXPECT_LT(elapsed, 1.0) << c.name;
        EXPECT_EQ(platform::read_key(), 'y') << c.name;
    }
}

TEST_F(PromptsTest, ShowMessageClearsOnlyWithTitle) {
    set_keys("x");
    ::testing::internal::CaptureStdout();
    show_message({}, {"Unable to locate you game exe!", "C:\\game\\x.exe"});
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "\n Unable to locate you game exe!\n C:\\game\\x.exe\n\n"
              "Press any key to continue... (Timeout in 10 seconds)\n");
    EXPECT_THAT(commands_ran(), IsEmpty());

    set_keys("x");
    ::testing::internal::CaptureStdout();
    show_message({"TITLE"}, {"line"});
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("<cls>\n", 0), 0u) << out;
    EXPECT_THAT(out, HasSubstr("TITLE"));
    EXPECT_THAT(commands_ran(), ElementsAre("cls"));
}

TEST_F(PromptsTest, PauseWithNote) {
    set_keys("xx");
    ::testing::internal::CaptureStdout();
    pause_with_note("", 5);
    pause_with_note("DONE", 5);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Press any key to continue... (Timeout in 5 seconds)\n"
              " ... DONE ...\nPress any key to continue... (Timeout in 5 seconds)\n");
}

TEST_F(PromptsTest, PromptTextDefaults) {
    struct Case {
        const char* default_text;
        const char* typed;
        const char* shown;
        const char* result;
    };
    const Case cases[] = {
        {"abc", "", "Name [abc]: ", "abc"},
        {"abc", "mine", "Name [abc]: ", "mine"},
        {"", "", "Name : ", ""},
        {"", "  ", "Name : ", "  "},
        {"abc", "  ", "Name [abc]: ", "  "},
    };
    for (const auto& c : cases) {
        set_keys(std::string(c.typed) + "\n");
        ::testing::internal::CaptureStdout();
        const std::string result = prompt_text("Name", c.default_text);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.shown) << c.typed;
        EXPECT_EQ(result, c.result) << c.typed;
    }
}

std::vector<std::string> twelve_options() {
    std::vector<std::string> options;
    for (int i = 1; i <= 12; ++i) options.push_back("o" + std::to_string(i));
    return options;
}

TEST_F(PromptsTest, MultiSelectKeysAreDigitsThenLetters) {
    set_keys("bD7770");
    ::testing::internal::CaptureStdout();
    const auto chosen = multi_select(twelve_options(), {"PICK"});
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_THAT(chosen, ElementsAre("o7", "o11"));

    const std::string first_draw = out.substr(0, out.find("<CLS>", 1));
    EXPECT_EQ(first_draw,
              "<CLS>\n\n PICK\n------\n"
              "  [1] [ ] o1\n  [2] [ ] o2\n  [3] [ ] o3\n  [4] [ ] o4\n  [5] [ ] o5\n  [6] [ ] o6\n"
              "  [7] [ ] o7\n  [8] [ ] o8\n  [9] [ ] o9\n  [A] [ ] o10\n  [B] [ ] o11\n  [C] [ ] o12\n"
              "\nUse numbers/letters to select/unselect, 0 or Enter to confirm.\n");
    const std::string last_draw = out.substr(out.rfind("<CLS>"));
    EXPECT_THAT(last_draw, HasSubstr("  [7] [X] o7\n"));
    EXPECT_THAT(last_draw, HasSubstr("  [B] [X] o11\n"));
    EXPECT_EQ(std::count(last_draw.begin(), last_draw.end(), 'X'), 2);
}

TEST_F(PromptsTest, MultiSelectEndings) {
    struct Case {
        const char* name;
        std::string key_bytes;
        std::vector<std::string> result;
    };
    const Case cases[] = {
        {"escape drops choices", "13" + keys::escape, {}},
        {"backspace drops choices", "1" + keys::backspace, {}},
        {"zero with nothing chosen", "0", {}},
        {"enter confirms in list order", "c2a" + keys::enter, {"o2", "o10", "o12"}},
        {"same key twice unchooses", "44" + keys::enter, {}},
    };
    for (const auto& c : cases) {
        set_keys(c.key_bytes);
        ::testing::internal::CaptureStdout();
        const auto chosen = multi_select(twelve_options(), {});
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(chosen, c.result) << c.name;
    }
}

TEST_F(PromptsTest, MultiSelectWithoutOptionsSaysSo) {
    ::testing::internal::CaptureStderr();
    EXPECT_THAT(multi_select({}, {"T"}), IsEmpty());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "No options provided for the multi-select dropdown menu.\n");
    EXPECT_THAT(commands_ran(), IsEmpty());
}

}  // namespace
}  // namespace pellux
