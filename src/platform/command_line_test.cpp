#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "support/test_env.h"

namespace pellux::platform {
namespace {

class CommandLineTest : public pellux::testing::PelluxTest {};

nlohmann::json command_table() {
    std::ifstream file(PELLUX_SOURCE_DIR "/tests/fixtures/command_lines.json");
    return nlohmann::json::parse(file);
}

// Where standard output and standard error end up once the redirections are applied in order,
// in the table's words ("inherit" is whatever the runner gives: the console, or its capture pipe).
std::map<int, std::string> destinations(const CommandLine& command) {
    std::map<int, std::string> where{{1, "inherit"}, {2, "inherit"}};
    for (const auto& r : command.redirections) {
        switch (r.kind) {
            case Redirection::Kind::file: where[r.fd] = "file:" + r.file; break;
            case Redirection::Kind::null_device: where[r.fd] = "null"; break;
            case Redirection::Kind::other_stream: where[r.fd] = r.other_fd == 1 ? "stdout" : where[r.other_fd]; break;
        }
    }
    return where;
}

TEST_F(CommandLineTest, ReadsEveryProgramLineOfTheTable) {
    const auto table = command_table();
    ASSERT_GT(table["programs"].size(), 10u);
    for (const auto& c : table["programs"]) {
        const std::string line = c["line"];
        const CommandLine command = read_command_line(line);
        EXPECT_EQ(command.words, c["argv"].get<std::vector<std::string>>()) << line;
        EXPECT_EQ(command.builtin, Builtin::none) << line;
        EXPECT_TRUE(command.error.empty()) << line;
        const auto where = destinations(command);
        const std::string stdout_kind = c["stdout"];
        EXPECT_EQ(where.at(1), stdout_kind == "capture" ? "inherit" : stdout_kind) << line;
        EXPECT_EQ(where.at(2), c["stderr"].get<std::string>()) << line;
    }
}

TEST_F(CommandLineTest, RecognisesEveryBuiltinOfTheTable) {
    const std::map<std::string, Builtin> kinds{{"clear", Builtin::clear}, {"title", Builtin::title},
                                               {"color", Builtin::color}, {"pause", Builtin::pause},
                                               {"call", Builtin::call},   {"start", Builtin::start}};
    const auto table = command_table();
    for (const auto& c : table["builtins"]) {
        const std::string line = c["line"];
        const CommandLine command = read_command_line(line);
        EXPECT_EQ(command.builtin, kinds.at(c["builtin"])) << line;
        EXPECT_EQ(command.builtin_arg, c.value("arg", "")) << line;
    }
}

TEST_F(CommandLineTest, ReadsRedirectionsInTheirOtherSpellings) {
    struct Case {
        const char* line;
        std::vector<std::string> words;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {"p >out.txt", {"p"}, "file:out.txt", "inherit"},
        {"p a>out.txt 2>&1b", {"p", "a>out.txt", "b"}, "inherit", "stdout"},  // only at the start of a word
        {"p 2>\"logs\\err 1.txt\" x", {"p", "x"}, "inherit", "file:logs/err 1.txt"},
        {"p >NuL 2>NUL", {"p"}, "null", "null"},
        {"p 1>o 2>&1", {"p"}, "file:o", "stdout"},
        {"p a2 >b", {"p", "a2"}, "file:b", "inherit"},
        {"p \"a > b\" \"2>&1\"", {"p", "a > b", "2>&1"}, "inherit", "inherit"},
        {"p \"\" x\"\"y", {"p", "", "xy"}, "inherit", "inherit"},
        {"p \"open ended", {"p", "open ended"}, "inherit", "inherit"},
        {"p & q | r ; s ^t", {"p", "&", "q", "|", "r", ";", "s", "^t"}, "inherit", "inherit"},
    };
    for (const auto& c : cases) {
        const CommandLine command = read_command_line(c.line);
        EXPECT_EQ(command.words, c.words) << c.line;
        const auto where = destinations(command);
        EXPECT_EQ(where.at(1), c.out) << c.line;
        EXPECT_EQ(where.at(2), c.err) << c.line;
    }
    const CommandLine appending = read_command_line("p >> log.txt");
    ASSERT_EQ(appending.redirections.size(), 1u);
    EXPECT_TRUE(appending.redirections[0].append);
}

TEST_F(CommandLineTest, RedirectionWithoutTargetIsRefused) {
    EXPECT_EQ(read_command_line("p >").error, "The syntax of the command is incorrect.");
    EXPECT_EQ(read_command_line("p 2> ").error, "The syntax of the command is incorrect.");
}

TEST_F(CommandLineTest, KeepsTheProgramAsWrittenForMessages) {
    const CommandLine command = read_command_line("\"tools\\no such.exe\" -x");
    EXPECT_EQ(command.program_text, "tools\\no such.exe");
    EXPECT_EQ(command.words[0], "tools/no such.exe");
}

}  // namespace
}  // namespace pellux::platform
