#include "platform/shell.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "files/command_runner.h"
#include "platform/native_path.h"
#include "platform/terminal.h"
#include "support/test_env.h"

namespace pellux::platform {
namespace {

// Real processes, no shell. Helper programs are small scripts in the test folder that write
// the arguments they were given, one a line, to "<script>.args".
class ShellPosixTest : public pellux::testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        const char* path = std::getenv("PATH");
        saved_path_ = path != nullptr ? path : "";
    }
    void TearDown() override {
        setenv("PATH", saved_path_.c_str(), 1);
        PelluxTest::TearDown();
    }

    // A folder of stand-in programs put before everything else on the PATH.
    void put_on_path(const std::string& folder) {
        setenv("PATH", ((work_dir / folder).string() + ":" + saved_path_).c_str(), 1);
    }

    void write_recorder(const std::string& path, const std::string& prefix = "#!/bin/sh\n") {
        write_file(path, prefix + "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args\"\n");
        std::filesystem::permissions(work_dir / to_native_path(path), std::filesystem::perms::owner_all);
    }

    // What a detached program writes, once it has written it (empty if it never does).
    std::string eventually_read(const std::string& path) {
        for (int i = 0; i < 300 && read_file(path).empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return read_file(path);
    }

private:
    std::string saved_path_;
};

TEST_F(ShellPosixTest, HostileQuotedNameIsOnlyEverOneArgument) {
    const std::string name = "x$(touch PWNED)`touch PWNED2`;touch PWNED3 & id | w > v.MOD";
    std::string output;
    ASSERT_TRUE(shell_capture("/usr/bin/printf \"[%s]\" \"" + name + "\" 2>&1", output));
    EXPECT_EQ(output, "[" + name + "]");
    for (const char* file : {"PWNED", "PWNED2", "PWNED3", "v.MOD", "w"}) EXPECT_FALSE(exists(file)) << file;
}

TEST_F(ShellPosixTest, PassesTheArgumentVectorWithSlashesForBackslashes) {
    write_recorder("tools\\record.exe");
    EXPECT_EQ(shell_run("tools\\record.exe x \"mods\\a b.MOD\" -o\"tmp\\\" \"\""), 0);
    EXPECT_EQ(read_file("tools\\record.exe.args"), "x\nmods/a b.MOD\n-otmp/\n\n");
}

TEST_F(ShellPosixTest, RedirectsStandardOutputIntoAFile) {
    write_file("out dir\\old.txt", "");
    shell_run("/usr/bin/printf first > \"out dir\\o.txt\"");
    EXPECT_EQ(read_file("out dir\\o.txt"), "first");
    shell_run("/usr/bin/printf second >\"out dir\\o.txt\" ");
    EXPECT_EQ(read_file("out dir\\o.txt"), "second");
    shell_run("/usr/bin/printf third >>\"out dir\\o.txt\"");
    EXPECT_EQ(read_file("out dir\\o.txt"), "secondthird");
}

TEST_F(ShellPosixTest, CapturesStandardErrorJoinedToStandardOutput) {
    std::string output;
    ASSERT_TRUE(shell_capture("/bin/sh -c \"echo out; echo err >&2\" 2>&1", output));
    EXPECT_EQ(output, "out\nerr\n");
    ASSERT_TRUE(shell_capture("/bin/sh -c \"echo out; echo err >&2\" 2>\"err.txt\"", output));
    EXPECT_EQ(output, "out\n");
    EXPECT_EQ(read_file("err.txt"), "err\n");
}

TEST_F(ShellPosixTest, NulDiscardsOutput) {
    for (const char* tail : {" >NUL 2>&1", " >nul 2>nul"}) {
        std::string output = "stale";
        ASSERT_TRUE(shell_capture(std::string("/bin/sh -c \"echo out; echo err >&2\"") + tail, output));
        EXPECT_EQ(output, "") << tail;
    }
    EXPECT_FALSE(exists("NUL"));
    EXPECT_FALSE(exists("nul"));
}

TEST_F(ShellPosixTest, MissingProgramGivesTheCommandProcessorsMessage) {
    std::string output;
    ASSERT_TRUE(shell_capture("tools\\absent.exe -x \"a\" 2>&1", output));
    EXPECT_EQ(output,
              "'tools\\absent.exe' is not recognized as an internal or external command,\n"
              "operable program or batch file.\n");
    const int status = shell_run("tools\\absent.exe >NUL 2>&1");
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    // A bare name is looked up on the PATH only.
    ASSERT_TRUE(shell_capture("no-such-program-here 2>&1", output));
    EXPECT_NE(output.find("'no-such-program-here' is not recognized"), std::string::npos);
}

TEST_F(ShellPosixTest, ReturnsTheExitStatusAsSystemReportsIt) {
    const int status = shell_run("/bin/sh -c \"exit 3\"");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(shell_run("/bin/true"), 0);
}

TEST_F(ShellPosixTest, CapturesLongLinesWhole) {
    const std::string long_word(1000, 'a');
    std::string output;
    ASSERT_TRUE(shell_capture("/usr/bin/printf %s " + long_word + " 2>&1", output));
    EXPECT_EQ(output, long_word);
    ASSERT_TRUE(shell_capture("/bin/sh -c \"for i in 1 2 3; do printf %0300d $i; echo; done\"", output));
    EXPECT_EQ(output.size(), 3u * 301u);
    EXPECT_EQ(output.substr(299, 3), "1\n0");
}

TEST_F(ShellPosixTest, RunsWindowsExecutablesThroughWine) {
    write_recorder("bin\\wine");
    put_on_path("bin");
    write_file("tools\\ARCtool.exe", "MZ\x90\x00 not really a program");
    shell_run("tools\\ARCtool.exe -x \"extract\\a b.arc\"");
    EXPECT_EQ(read_file("bin\\wine.args"), "tools/ARCtool.exe\n-x\nextract/a b.arc\n");
}

TEST_F(ShellPosixTest, CallStartsASteamGameThroughSteam) {
    write_recorder("bin\\steam");
    write_recorder("bin\\xdg-open");
    put_on_path("bin");
    write_file("lib\\SteamApps\\common\\Game\\game.exe", "MZ");
    const std::string call = "call \"" + (work_dir / "lib/SteamApps/common/Game/game.exe").string() + "\"";
    // Steam takes the request and the menu goes on: a client that is not running yet would
    // otherwise hold the call until the client is closed.
    EXPECT_EQ(shell_run(call), 0);
    EXPECT_EQ(eventually_read("bin\\steam.args"), "-applaunch\n2634890\n");

    std::filesystem::remove(work_dir / "bin/steam");
    shell_run(call);
    EXPECT_EQ(eventually_read("bin\\xdg-open.args"), "steam://rungameid/2634890\n");
}

TEST_F(ShellPosixTest, CallRunsOtherProgramsAndWaits) {
    write_recorder("bin\\wine");
    put_on_path("bin");
    write_file("Games\\game.exe", "MZ");
    shell_run("call \"Games\\game.exe\"");
    EXPECT_EQ(read_file("bin\\wine.args"), "Games/game.exe\n");

    write_recorder("tools\\native", "#!/bin/sh\nsleep 0.2\n");
    shell_run("call \"tools\\native\" \"a b\"");
    EXPECT_EQ(read_file("tools\\native.args"), "a b\n");  // written before call returned

    std::string output;
    ASSERT_TRUE(shell_capture("call \"Games\\none.exe\" 2>&1", output));
    EXPECT_EQ(output.substr(0, output.find('\n')), "'Games\\none.exe' is not recognized as an internal or external command,");
}

TEST_F(ShellPosixTest, StartOpensTheFileWithoutWaitingAndLeavesNoChild) {
    write_recorder("bin\\xdg-open");
    put_on_path("bin");
    EXPECT_EQ(shell_run("start \"\" \"shots\\shot 1.png\""), 0);
    EXPECT_EQ(eventually_read("bin\\xdg-open.args"), "shots/shot 1.png\n");
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);  // nothing left to reap: no zombie
}

TEST_F(ShellPosixTest, ConsoleCommandsWriteTheirTerminalSequences) {
    struct Case {
        const char* line;
        const char* output;
    };
    const Case cases[] = {
        {"CLS", "\x1b[2J\x1b[H"},
        {"cls", "\x1b[2J\x1b[H"},
        {"title PELLUX MOD MANAGER v0.8.0", "\x1b]0;PELLUX MOD MANAGER v0.8.0\x07"},
        {"title a\x1b]0;b\x07", "\x1b]0;a]0;b\x07"},  // control bytes cannot end the title early
        {"color 4f", "\x1b[97;41m\x1b[J"},
        {"color 07", "\x1b[37;40m\x1b[J"},
        {"color 1E", "\x1b[93;44m\x1b[J"},
    };
    for (const auto& c : cases) {
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(shell_run(c.line), 0) << c.line;
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.output) << c.line;
    }
    // The command processor refuses a colour code it cannot show, and draws nothing.
    ::testing::internal::CaptureStdout();
    EXPECT_NE(shell_run("color 44"), 0);
    EXPECT_NE(shell_run("color zz"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(ShellPosixTest, PauseWaitsForOneWholeKey) {
    set_keys("\x1b[Ax");
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(shell_run("pause"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Press any key to continue . . . \n");
    EXPECT_EQ(read_key(), 'x');
}

TEST_F(ShellPosixTest, RunnerAppendsTheErrorRedirectionAndCapturesTheMessage) {
    EXPECT_EQ(run_command_output("tools\\absent.exe"),
              "'tools\\absent.exe' is not recognized as an internal or external command,\n"
              "operable program or batch file.\n");
    EXPECT_EQ(run_command_output("/bin/true"), "");
    EXPECT_EQ(commands_ran(), (std::vector<std::string>{"tools\\absent.exe 2>&1", "/bin/true 2>&1"}));
}

}  // namespace
}  // namespace pellux::platform
