// File names are only ever names: a command line whose quoted arguments (and whose tool path)
// hold shell syntax starts exactly one program, with those texts as its arguments.
#include <sys/stat.h>

#include <set>
#include <string>

#include "e2e/e2e_harness.h"
#include "files/command_runner.h"
#include "support/test_env.h"

namespace pellux::e2e {
namespace {

using pellux::testing::PelluxTest;

class E2ECommandLine : public PelluxTest {};

TEST_F(E2ECommandLine, HostileQuotedArgumentsRunExactlyOneProgram) {
    // The probe notes every argument it receives, and prints them too.
    const std::string probe_name = "probe;$(id>p1)`id>p2`.sh";
    const fs::path probe = work_dir / "tools" / probe_name;
    write_text(probe,
               "#!/bin/sh\n"
               "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> calls.log\n"
               "echo --- >> calls.log\n"
               "for a in \"$@\"; do printf '[%s]' \"$a\"; done\n");
    chmod(probe.c_str(), 0755);

    const std::string line = "tools\\" + probe_name +
                             " \"$(touch p3)\" \"`touch p4`\" \"a; touch p5\" \"b && touch p6 | cat > p7\"";
    const std::string arguments = "$(touch p3)\n`touch p4`\na; touch p5\nb && touch p6 | cat > p7\n---\n";

    // A redirection outside the quotes is applied; the one inside them is only text.
    EXPECT_EQ(run_system(line + " >NUL 2>&1"), 0);
    EXPECT_EQ(read_text(work_dir / "calls.log"), arguments);

    // The redirection the capture appends is the runner's to apply, not an argument.
    EXPECT_EQ(run_command_output(line), "[$(touch p3)][`touch p4`][a; touch p5][b && touch p6 | cat > p7]");
    EXPECT_EQ(read_text(work_dir / "calls.log"), arguments + arguments);

    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(work_dir)) left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"calls.log", "tools"}));
}

}  // namespace
}  // namespace pellux::e2e
